#pragma once

#include "document/Prompts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

// Answers every question with yes and records the errors shown, with whether the hourglass
// was still up when each appeared.
class ScriptedPrompts final : public Prompts
{
public:
    QStringList errors;
    QList<bool> hourglassAtError;

    bool askYesNo(const QString&) override { return true; }
    bool askOkCancel(const QString&) override { return true; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Cancel; }
    void showError(const QString& text) override
    {
        errors.append(text);
        hourglassAtError.append(QGuiApplication::overrideCursor() != nullptr);
    }
    QString chooseOpenFile(const FileDialog&) override { return QString(); }
    QString chooseSaveFile(const FileDialog&) override { return QString(); }
    QString runBitmapChooser(const QString&, bool) override { return QString(); }
    bool runPrintDialog(QPrinter&) override { return false; }
    bool runPrintSetupDialog(QPrinter&) override { return false; }
    bool chooseColor(ColorRef&) override { return false; }
    bool chooseFont(QFont&) override { return false; }
};

// Runs `step` on the next modal window once it is open. Whatever modal window is still open
// a few seconds later is closed, so a test whose step fails cannot hang in exec().
class ModalDriver final
{
public:
    explicit ModalDriver(std::function<void(QWidget*)> step) : m_step(std::move(step))
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_poll.stop();
                m_step(modal);
            }
        });
        m_poll.start(10);
        QObject::connect(&m_watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        m_watchdog.start(4000);
    }

private:
    std::function<void(QWidget*)> m_step;
    QTimer m_poll;
    QTimer m_watchdog;
};
