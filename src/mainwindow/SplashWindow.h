#pragma once

#include <QWidget>

class QLabel;

// The window shown while the editor starts: borderless, on top of other windows, centred on
// the screen, with a stereogram and three lines of text on a silver panel.
class Tsplashfm final : public QWidget
{
    Q_OBJECT

public:
    explicit Tsplashfm(QWidget* parent = nullptr);

    // Centres the window on the screen, shows it and paints it before returning, so it is seen
    // even though the event loop is not running yet.
    void showNow();

private:
    QWidget* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
};
