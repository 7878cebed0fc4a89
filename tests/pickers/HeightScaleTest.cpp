#include "pickers/HeightScale.h"

#include "common/TestMain.h"
#include "tools/DrawingState.h"

#include <QTest>

namespace {

constexpr ColorRef Untouched = 0x00123456;

ColorRef flagged(int grey)
{
    return colorref::paletteGrey(grey);
}

} // namespace

class HeightScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void choosing_data()
    {
        QTest::addColumn<QVariant>("input"); // a pointer row (int) or a typed number (string)
        QTest::addColumn<int>("position");
        QTest::addColumn<ColorRef>("color");
        QTest::newRow("pointer below the scale") << QVariant(250) << 0 << flagged(0);
        QTest::newRow("pointer at 199") << QVariant(199) << 1 << flagged(58);
        QTest::newRow("pointer at 195") << QVariant(195) << 5 << flagged(62);
        QTest::newRow("pointer at the middle") << QVariant(100) << 100 << flagged(156);
        QTest::newRow("pointer at the top row") << QVariant(1) << 199 << flagged(255);
        QTest::newRow("pointer above the scale") << QVariant(-30) << 199 << flagged(255);
        QTest::newRow("number 7") << QVariant("7") << 14 << flagged(70);
        QTest::newRow("number 0") << QVariant("0") << 0 << flagged(0);
        QTest::newRow("number 100") << QVariant("100") << 200 << flagged(255);
        QTest::newRow("number 101") << QVariant("101") << 100 << Untouched;
        QTest::newRow("number -1") << QVariant("-1") << 100 << Untouched;
        QTest::newRow("letters") << QVariant("ab") << 100 << Untouched;
    }

    // A number outside 0..100 or not a number changes nothing.
    void choosing()
    {
        QFETCH(QVariant, input);
        HeightScale scale;
        DrawingState state;
        state.CurrentColor = Untouched;
        if (input.typeId() == QMetaType::Int) {
            scale.chooseByPointer(input.toInt(), state);
        } else {
            scale.chooseByNumber(input.toString(), state);
        }
        QTEST(int(scale.ScalePos), "position");
        QTEST(state.CurrentColor, "color");
    }

    void pickedColour_data()
    {
        QTest::addColumn<ColorRef>("picked");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("grey 100: band 22") << colorref::grey(100) << 44 << "22";
        QTest::newRow("grey 62: band 3") << colorref::grey(62) << 6 << "3";
        QTest::newRow("grey 101, between bands") << colorref::grey(101) << 45 << "22";
        QTest::newRow("grey 103, between bands") << colorref::grey(103) << 47 << "24";
        QTest::newRow("grey 57") << colorref::grey(57) << 1 << "0";
        QTest::newRow("grey 56: height 0") << colorref::grey(56) << 0 << "0";
        QTest::newRow("black: height 0") << colorref::Black << 0 << "0";
        QTest::newRow("invalid, paints black") << colorref::Invalid << 0 << "0";
        QTest::newRow("grey 254: band 99") << colorref::grey(254) << 198 << "99";
        QTest::newRow("white: band 100") << colorref::White << 199 << "100";
    }

    // The picked colour is painted as picked at every activation, the marker and the box show
    // its height; a choice on the scale paints its band again.
    void pickedColour()
    {
        QFETCH(ColorRef, picked);
        HeightScale scale;
        DrawingState state;
        state.CurrentColor = picked;
        scale.SyncFromCurrentColor(picked);
        QTEST(int(scale.ScalePos), "position");
        QTEST(scale.positionText(), "text");
        scale.activate(state);
        scale.activate(state);
        QCOMPARE(state.CurrentColor, picked);
        QVERIFY(state.OpaquePaint);
        scale.chooseByNumber(QStringLiteral("7"), state);
        scale.activate(state);
        QCOMPARE(state.CurrentColor, flagged(70));
    }

    void scaleRows_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<ColorRef>("color");
        QTest::newRow("row 0") << 0 << 1 << 84 << HeightScale::DefaultFace;
        QTest::newRow("band 100 over the top edge") << 1 << 1 << 14 << colorref::White;
        QTest::newRow("band 97") << 7 << 1 << 16 << colorref::grey(250);
        QTest::newRow("band 50") << 101 << 1 << 44 << colorref::grey(156);
        QTest::newRow("band 8, half to even") << 186 << 1 << 70 << colorref::grey(72);
        QTest::newRow("band 3, half to even") << 196 << 1 << 72 << colorref::grey(62);
        QTest::newRow("band 1") << 200 << 1 << 74 << colorref::grey(58);
        QTest::newRow("bottom edge") << 201 << 0 << 75 << colorref::Black;
        QTest::newRow("right of the bottom edge") << 201 << 76 << 84 << HeightScale::DefaultFace;
    }

    // Each band row runs from column 1 to just inside the slanted edge; the outline is black,
    // row 0 and the area right of the wedge have the face colour.
    void scaleRows()
    {
        QFETCH(int, y);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(ColorRef, color);
        HeightScale scale;
        scale.ScalePos = 255; // marker out of the way
        scale.DrawScale();
        const RasterImage& raster = scale.raster();
        QCOMPARE(raster.width(), 85);
        QCOMPARE(raster.height(), 202);
        for (int x = from; x <= to; ++x) {
            QVERIFY2(raster.pixel(x, y) == color, qPrintable(QStringLiteral("x = %1").arg(x)));
        }
        if (to < 84) {
            QVERIFY(raster.pixel(to + 1, y) != color);
        }
        QCOMPARE(raster.pixel(0, y), y == 0 ? colorref::White : colorref::Black);
    }

    void marker_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::newRow("14") << 14 << 71 << 182;
        QTest::newRow("0, cut at the bottom") << 0 << 76 << 196;
        QTest::newRow("187, half to even") << 187 << 19 << 9;
        QTest::newRow("197, half to even") << 197 << 17 << -1;
        QTest::newRow("201, cut at the top") << 201 << 15 << -5;
        QTest::newRow("255, above the scale") << 255 << -1 << -59;
    }

    // The arrow is ANDed into the scale: white keeps the scale, red and light grey mask it.
    void marker()
    {
        static const char* const rows[10] = {
            "WWWWGRRRGW", "WWWGRRRGWW", "WWGRRRGWWW", "WGRRRGGGGG", "GRRRRRRRRR",
            "GRRRRRRRRR", "WGRRRGGGGG", "WWGRRRGWWW", "WWWGRRRGWW", "WWWWGRRRGW",
        };
        QFETCH(int, position);
        QFETCH(int, left);
        QFETCH(int, top);
        HeightScale scale;
        scale.ScalePos = static_cast<std::uint8_t>(position);
        scale.DrawScale();
        const RasterImage before = scale.raster();
        scale.DrawMarker();
        const RasterImage& after = scale.raster();
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                ColorRef mask = colorref::White;
                if (x >= left && x < left + 10 && y >= top && y < top + 10) {
                    const char letter = rows[y - top][x - left];
                    mask = letter == 'R'   ? colorref::rgb(255, 0, 0)
                           : letter == 'G' ? colorref::grey(192)
                                           : colorref::White;
                }
                QVERIFY2(after.pixel(x, y) == (before.pixel(x, y) & mask),
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
    }
};

DEPTHLOOM_TEST_CLASS(HeightScaleTest);
#include "HeightScaleTest.moc"
