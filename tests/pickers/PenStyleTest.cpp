#include "common/TestMain.h"
#include "pickers/PenStyleChoice.h"
#include "pickers/TfmPStyle.h"
#include "tools/DrawingState.h"

#include <QTest>

class PenStyleTest : public QObject
{
    Q_OBJECT

private slots:
    void releases_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("square");
        QTest::addColumn<bool>("spray");
        QTest::addColumn<QPoint>("frame");
        // Each release starts from size 1, the other square setting than the one expected
        // (except where the setting is kept) and the other spray setting, so that what is set
        // and what is kept both show.
        QTest::newRow("size 2 square") << 45 << 25 << 2 << true << false << QPoint(41, 21);
        QTest::newRow("size 3 square spray") << 70 << 65 << 3 << true << true << QPoint(61, 61);
        QTest::newRow("round") << 5 << 5 << 0 << false << false << QPoint(1, 1);
        QTest::newRow("y 39, no spray") << 5 << 39 << 0 << true << false << QPoint(1, 21);
        QTest::newRow("y 40, round spray") << 5 << 40 << 0 << false << true << QPoint(1, 41);
        QTest::newRow("empty row sprays") << 5 << 85 << 0 << false << true << QPoint(1, 81);
        QTest::newRow("x -5 is column 0") << -5 << 5 << 0 << false << false << QPoint(1, 1);
        QTest::newRow("x 80 keeps the size") << 85 << 5 << 1 << false << false << QPoint(81, 1);
        QTest::newRow("y -5 is row 0") << 5 << -5 << 0 << false << false << QPoint(1, 1);
        QTest::newRow("row -1 keeps round") << 5 << -25 << 0 << false << false << QPoint(1, -19);
    }

    void releases()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, square);
        QFETCH(bool, spray);
        const bool kept = y < 0 && y / 20 != 0;
        DrawingState state;
        state.PenSize = 1;
        state.PenSquare = kept ? square : !square;
        state.PenSpray = !spray;
        const QPoint frame = penstyle::pick(x, y, state);
        QTEST(int(state.PenSize), "size");
        QCOMPARE(state.PenSquare, square);
        QCOMPARE(state.PenSpray, spray);
        QTEST(frame, "frame");
    }

    void cellEdges_data()
    {
        QTest::addColumn<int>("column"); // the size
        QTest::addColumn<int>("row");    // round, square, round spray, square spray
        const char* kinds[] = {"round", "square", "round spray", "square spray"};
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                QTest::addRow("%s, size %d", kinds[row], column) << column << row;
            }
        }
    }
    // A click on any corner pixel of a cell, as the window system delivers it to the picker,
    // chooses that cell's pen and frames the cell. The picture shows rows 0 to 78 only.
    void cellEdges()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        DrawingState state;
        TfmPStyle picker(state, nullptr);
        picker.resize(100, 88); // widened, so that the fourth column shows
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        const QRect cell(20 * column, 20 * row, 20, row == 3 ? 19 : 20);
        for (QPoint p : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()}) {
            state.PenSize = std::uint8_t((column + 1) % 4);
            state.PenSquare = row % 2 == 0;
            state.PenSpray = row < 2;
            picker.Shape1->move(40, 80);
            QTest::mouseClick(picker.windowHandle(), Qt::LeftButton, {},
                              picker.Image1->mapTo(&picker, p));
            const QString at = QStringLiteral("at %1,%2").arg(p.x()).arg(p.y());
            QVERIFY2(state.PenSize == column && state.PenSquare == (row % 2 == 1) &&
                         state.PenSpray == (row >= 2),
                     qPrintable(at));
            QCOMPARE(picker.Shape1->pos(), cell.topLeft() + QPoint(1, 1));
        }
    }
};

DEPTHLOOM_TEST_CLASS(PenStyleTest);
#include "PenStyleTest.moc"
