#include "print/PrintPreviewDialog.h"

#include "print/PrintRules.h"
#include "widgets/KeyboardReturn.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QDoubleSpinBox* rateBox(QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(PrintPreviewDialog::MinimumRate, PrintPreviewDialog::MaximumRate);
    box->setSingleStep(5.0);
    box->setSuffix(QStringLiteral(" %"));
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

PrintPreviewDialog::PrintPreviewDialog(QPrinter& printer, int screenDpi, QWidget* parent)
    : QDialog(parent), m_screenDpi(screenDpi)
{
    setWindowTitle(QStringLiteral("Print Preview"));
    preview = new QPrintPreviewWidget(&printer, this);
    preview->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(preview, &QPrintPreviewWidget::paintRequested, this, &PrintPreviewDialog::paintPage);

    xRateBox = rateBox(this);
    yRateBox = rateBox(this);
    auto* xLabel = new QLabel(QStringLiteral("&Horizontal rate:"), this);
    xLabel->setBuddy(xRateBox);
    auto* rates = new QHBoxLayout;
    rates->addWidget(xLabel);
    rates->addWidget(xRateBox);
    rates->addSpacing(16);
    auto* yLabel = new QLabel(QStringLiteral("&Vertical rate:"), this);
    yLabel->setBuddy(yRateBox);
    rates->addWidget(yLabel);
    rates->addWidget(yRateBox);
    rates->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    rates->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview, 1);
    layout->addLayout(rates);
    resize(640, 720);

    for (QDoubleSpinBox* box : {xRateBox, yRateBox}) {
        connect(box, &QDoubleSpinBox::valueChanged, preview, &QPrintPreviewWidget::updatePreview);
    }
}

void PrintPreviewDialog::SetUp(const QImage& picture, int paperShade, double xRate, double yRate)
{
    m_picture = picture;
    m_paperShade = std::clamp(paperShade, 0, 255);
    m_xRate = xRate;
    m_yRate = yRate;
    const QSignalBlocker blockX(xRateBox);
    const QSignalBlocker blockY(yRateBox);
    xRateBox->setValue(xRate);
    yRateBox->setValue(yRate);
    preview->updatePreview();
}

void PrintPreviewDialog::ExecDialog()
{
    const KeyboardReturn keyboard;
    if (exec() != QDialog::Accepted) {
        return;
    }
    // A rate still being typed has been taken, corrected into range, as the boxes were hidden.
    m_xRate = xRateBox->value();
    m_yRate = yRateBox->value();
}

void PrintPreviewDialog::paintPage(QPrinter* printer)
{
    QPainter painter(printer);
    if (m_paperShade < 255) {
        painter.fillRect(painter.window(), QColor(m_paperShade, m_paperShade, m_paperShade));
    }
    const QRect target =
        printing::targetRect(m_picture.size(), printer->logicalDpiX(), printer->logicalDpiY(),
                             m_screenDpi, xRateBox->value(), yRateBox->value());
    printing::drawPicture(painter, m_picture, target);
}
