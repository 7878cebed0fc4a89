#include "mainwindow/AboutBox.h"

#include "mainwindow/Emblem.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

QLabel* makeLabel(QWidget* parent, const QString& text, const QColor& color, const QRect& box)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(13);
    label->setFont(font);
    label->setGeometry(box);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

TdlgAbout::TdlgAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About Depthloom"));
    setModal(false);
    setFixedSize(299, 348);
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    const QRect iconBox(25, 4, 248, 189);
    ProgramIcon = new QLabel(this);
    ProgramIcon->setGeometry(iconBox);
    ProgramIcon->setAlignment(Qt::AlignCenter);

    Version = makeLabel(this, QStringLiteral("This is just a test version, may contains bugs"),
                        Qt::black, QRect(12, 196, 281, 21));
    Comments = makeLabel(this,
                         QStringLiteral("You are free to pass Depthloom on to others. If "
                                        "something does not work, please tell us at the address "
                                        "below. Thank you for using it!"),
                         QColor(0x00, 0x80, 0x00), QRect(16, 216, 269, 69));
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Contact =
        makeLabel(this, QString::fromLatin1(ContactAddress), Qt::blue, QRect(100, 288, 133, 21));
    Contact->setCursor(Qt::PointingHandCursor);
    Contact->setToolTip(QStringLiteral("Write a mail to %1").arg(Contact->text()));
    Contact->installEventFilter(this);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(112, 319, 75, 24);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

bool TdlgAbout::event(QEvent* event)
{
    // The box is made at start and shown, if ever, much later: the emblem is drawn and the
    // fonts measured when it is first shown or drawn.
    if (event->type() == QEvent::Polish && !m_dressed) {
        m_dressed = true;
        ProgramIcon->setPixmap(QPixmap::fromImage(drawEmblem(ProgramIcon->size())));
        Version->setFont(fittedFont(Version->font(), Version->text(), Version->width()));
        Contact->setFont(fittedFont(Contact->font(), Contact->text(), width() - 2 * 8));
        // Wider than its box in most fonts: let it grow, moving it left as far as needed to
        // stay inside the box.
        const int contactWidth = std::max(133, Contact->sizeHint().width());
        Contact->setGeometry(std::clamp(width() - 8 - contactWidth, 0, 100), 288, contactWidth, 21);
    }
    return QDialog::event(event);
}

void TdlgAbout::showBox()
{
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect box(QPoint(), frameGeometry().size());
            box.moveCenter(screen->geometry().center());
            move(box.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

bool TdlgAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Contact && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        Contact->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        ContactClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TdlgAbout::ContactClick()
{
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("mailto:") + QString::fromLatin1(ContactAddress)));
}
