#pragma once

#include <QDialog>
#include <QImage>

class QDoubleSpinBox;
class QPrinter;
class QPrintPreviewWidget;

// The print preview: shows the picture on a page of the chosen printer as it will be printed,
// and lets the user set a horizontal and a vertical rate in percent; the page follows every
// change. Used in this order: SetUp, ExecDialog, GetxRate and GetyRate.
//
// The rates run from 0.1 to 1000.0 % with one decimal: a digit that would pass 1000 is refused
// as it is typed, and a rate typed as 0 becomes 0.1, so the dialog never hands back a rate of
// 0 or less.
class PrintPreviewDialog final : public QDialog
{
    Q_OBJECT

public:
    static constexpr double MinimumRate = 0.1;
    static constexpr double MaximumRate = 1000.0;

    // `printer` gives the page and its resolution; it must outlive the dialog. `screenDpi` is
    // the screen's logical pixels per inch, the size a picture pixel has at 100 %.
    PrintPreviewDialog(QPrinter& printer, int screenDpi, QWidget* parent = nullptr);

    // The picture to show and the rates to start from. `paperShade` is the grey level of the
    // paper around the picture in the preview, 255 for white; it never reaches the printer.
    void SetUp(const QImage& picture, int paperShade, double xRate, double yRate);
    // Shows the dialog and returns when the user has closed it.
    void ExecDialog();
    // The rates chosen with OK, or those SetUp gave after Cancel.
    double GetxRate() const { return m_xRate; }
    double GetyRate() const { return m_yRate; }

    QPrintPreviewWidget* preview = nullptr;
    QDoubleSpinBox* xRateBox = nullptr;
    QDoubleSpinBox* yRateBox = nullptr;

private:
    void paintPage(QPrinter* printer);

    int m_screenDpi;
    QImage m_picture;
    int m_paperShade = 255;
    double m_xRate = 100.0;
    double m_yRate = 100.0;
};
