#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the emblem, a word on the version, a note for users and a contact address
// that opens a new mail. It does not block the main window and stays on top until closed;
// the editor creates it once and shows the same box again each time.
class TdlgAbout final : public QDialog
{
    Q_OBJECT

public:
    // Where users write to; the contact line opens a new mail to it.
    static constexpr char ContactAddress[] = "depthloom-users@lists.example.org";

    explicit TdlgAbout(QWidget* parent = nullptr);

    // Shows the box centred on the screen, or brings it to the front when it is already shown.
    void showBox();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Asks the desktop to open a new mail to ContactAddress.
    void ContactClick();

    QLabel* ProgramIcon = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Contact = nullptr;
    QPushButton* OKBtn = nullptr;
    // Whether the emblem and the measured fonts are in place.
    bool m_dressed = false;
};
