#pragma once

#include <QDialog>

class RasterImage;

// The 3D picture alone, centred on a black full screen, over every other window: a frameless
// window with the geometry of its parent's screen (the primary screen without a parent), also
// where no window manager makes it full screen. A click or any key closes it with the Accepted
// result. Run it with exec() and let it go out of scope.
class TfmScreen final : public QDialog
{
    Q_OBJECT

public:
    // `picture` must outlive the window and not change while it is shown.
    explicit TfmScreen(const RasterImage& picture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const RasterImage& m_picture;
};
