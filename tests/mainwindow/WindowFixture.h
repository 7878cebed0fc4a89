#pragma once

#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "mainwindow/TForm1.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/Shape.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

// A main window shown and through its first activation, as the user first sees it.
inline std::unique_ptr<TForm1> openMainWindow(Prompts& prompts)
{
    auto form = std::make_unique<TForm1>(prompts);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) {
        form->FormActivate();
    }
    return form;
}

// Paints a dot at (5, 5) on the depth map with the pencil, as a user does.
inline void paintDepthMap(TForm1& form)
{
    QTest::mouseClick(part<Shape>(form, "spRMask"), Qt::LeftButton);
    QTest::mouseClick(part<QToolButton>(form, "sbPen"), Qt::LeftButton);
    QTest::mouseClick(part<ImageView>(form, "Image2"), Qt::LeftButton, {}, QPoint(5, 5));
}

// What a window test holds: scripted answers, the window they answer for, and a folder for its
// files. The test class opens the window in init() and closes it in cleanup().
class WindowFixture
{
protected:
    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_form;

    void openWindow()
    {
        m_prompts = ScriptedPrompts();
        m_form = openMainWindow(m_prompts);
    }
    void closeWindow() { m_form.reset(); }
    TForm1& form() { return *m_form; }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

// The log lines of the image and project save dialogs (see ScriptedPrompts).
inline const QString PatternSave =
    QStringLiteral("Save: Layer File [*.bmp]|*.bmp|All Files[*.*]|*.*");
inline const QString DepthSave =
    QStringLiteral("Save: Ground File[*.bkp]|*.bkp|All Files[*.*]|*.*");
inline const QString ProjectSave =
    QStringLiteral("Save: 3D-Picture [*.3dp]|*.3dp|All Files[*.*]|*.*");

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pattern strip's start size, in colours that differ from pixel to pixel.
inline QImage stripPicture()
{
    QImage image(120, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(2 * x, y % 200, 90));
        }
    }
    return image;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
