// The print commands of the File menu, the speed bar and the output window.

#include "mainwindow/TForm1.h"
#include "output/TfmOutput.h"
#include "print/Pntmange.h"

#include <QAction>
#include <QToolButton>

namespace {

// What the print commands print while no output window exists.
const RasterImage NoPicture;

} // namespace

void TForm1::connectOutputPrint(TfmOutput& output)
{
    output.SpeedButton5->setEnabled(true);
    connect(&output, &TfmOutput::printRequested, this, &TForm1::FilePrintItemClick);
}

void TForm1::PrintPreviewClick()
{
    m_printing->PreviewPicture(m_output ? m_output->picture() : NoPicture);
}

void TForm1::FilePrintSetupItemClick()
{
    m_printing->PrintSetup();
}

void TForm1::FilePrintItemClick()
{
    m_printing->PrintPicture(m_output ? m_output->picture() : NoPicture);
}
