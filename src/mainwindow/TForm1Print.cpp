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

Pntmange& TForm1::printing()
{
    if (!m_printing) {
        m_printing = std::make_unique<Pntmange>(m_prompts, this);
    }
    return *m_printing;
}

void TForm1::PrintPreviewClick()
{
    printing().PreviewPicture(m_output ? m_output->picture() : NoPicture);
}

void TForm1::FilePrintSetupItemClick()
{
    printing().PrintSetup();
}

void TForm1::FilePrintItemClick()
{
    printing().PrintPicture(m_output ? m_output->picture() : NoPicture);
}
