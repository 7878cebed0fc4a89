#pragma once

#include <QWidget>

class Panel;
struct DrawingState;

// The pen style picker: a picture of the pencil's footprints (four sizes; round, square, round
// spray, square spray) in which a release chooses PenSize, PenSquare and PenSpray, and a grey
// frame that marks the cell of the last release. The pencil shows it while it is selected. Its
// controls are public under their design names so that tests can drive them.
class TfmPStyle final : public QWidget
{
    Q_OBJECT

public:
    TfmPStyle(DrawingState& state, QWidget* owner);

    // The panel that holds the picture 2 pixels in, and the frame (panel coordinates).
    Panel* Panel1 = nullptr;
    QWidget* Image1 = nullptr;
    QWidget* Shape1 = nullptr;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    DrawingState& m_state;
};
