#include "mainwindow/SplashWindow.h"

#include "mainwindow/Emblem.h"
#include "mainwindow/SplashPicture.h"
#include "widgets/Panel.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int BorderWidth = 1;
constexpr int BevelWidth = 2;

QFont labelFont(const QString& family, QFont::StyleHint hint, int pixels)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& font, QPoint at)
{
    auto* label = new QLabel(text, parent);
    const int room = parent->width() - BorderWidth - BevelWidth - at.x();
    label->setFont(fittedFont(font, text, room));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->adjustSize();
    label->move(at);
    return label;
}

} // namespace

Tsplashfm::Tsplashfm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setFixedSize(267, 201);
    setFont(labelFont(QStringLiteral("MS Sans Serif"), QFont::SansSerif, 10));

    // A silver panel with a single black border line and a raised bevel inside it, which
    // stops a pixel short of the border at the right and the bottom.
    auto silver = [](Panel* panel) {
        panel->setColor(QColor(0xc0, 0xc0, 0xc0));
        QPalette colours = panel->palette();
        colours.setColor(QPalette::Light, Qt::white);
        colours.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
        colours.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(colours);
    };
    auto* panel = new Panel(Panel::Bevel::None, Panel::Bevel::None, this);
    silver(panel);
    panel->setBorderWidth(BorderWidth);
    panel->setGeometry(rect());
    auto* bevel = new Panel(Panel::Bevel::Raised, Panel::Bevel::None, panel, BevelWidth);
    silver(bevel);
    bevel->setTopLeftCorners(Panel::Corners::None);
    bevel->setGeometry(
        panel->rect().adjusted(BorderWidth, BorderWidth, -BorderWidth - 1, -BorderWidth - 1));
    Panel1 = panel;

    // The panel cuts the picture off at its right edge; keep its frame visible there.
    const QSize pictureSize = splashpicture::Size;
    const int inside = BorderWidth + BevelWidth;
    Image1 = new QLabel(Panel1);
    Image1->setPixmap(QPixmap::fromImage(splashpicture::picture()));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setGeometry(7, 11, std::min(pictureSize.width(), width() - inside - 7),
                        std::min(pictureSize.height(), height() - inside - 11));

    QFont loading = labelFont(QStringLiteral("Courier New"), QFont::TypeWriter, 16);
    loading.setItalic(true);
    Label1 = makeLabel(Panel1, QStringLiteral("Loading..."), loading, QPoint(93, 4));
    Label2 =
        makeLabel(Panel1, QStringLiteral("Someone makes  3D-Pictures..."), font(), QPoint(58, 165));
    QFont slogan = labelFont(QStringLiteral("Times New Roman"), QFont::Serif, 19);
    slogan.setBold(true);
    Label3 =
        makeLabel(Panel1, QStringLiteral("You can make 3D-Pictures too!"), slogan, QPoint(5, 176));
}

void Tsplashfm::showNow()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect box(QPoint(), size());
        box.moveCenter(screen->geometry().center());
        move(box.topLeft());
    }
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
