#include "tools/TOneTool.h"

#include "raster/CanvasStateSaver.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

void TOneTool::SaveUndo()
{
    const RasterImage& image = *m_state.ActiveImage;
    UndoImage.setSize(image.width(), image.height());
    UndoImage.copyRect(QRect(0, 0, image.width(), image.height()), image,
                       QRect(0, 0, image.width(), image.height()));
}

void TOneTool::MouseDown(int, int) {}
void TOneTool::MouseMove(int, int) {}
void TOneTool::MouseUp(int, int) {}
void TOneTool::KeyPress(QChar) {}
void TOneTool::Tick() {}
bool TOneTool::LoadFromFile(const QString&, QString*)
{
    return true;
}
void TOneTool::Paste() {}
void TOneTool::Cut() {}
void TOneTool::Copy() {}
void TOneTool::SelectAll() {}
void TOneTool::Delete() {}
void TOneTool::setMarksShown(bool) {}

void TOneTool::Undo()
{
    if (UndoImage.isEmpty()) {
        return;
    }
    RasterImage& image = *m_state.ActiveImage;
    const QRect whole(0, 0, UndoImage.width(), UndoImage.height());
    {
        const CanvasStateSaver saved(image);
        image.setCopyMode(CopyMode::SourceCopy);
        image.copyRect(whole, UndoImage, whole);
    }
    m_host.imageChanged(whole);
}

bool TOneTool::cancelStroke()
{
    if (!Active) {
        return false;
    }
    Undo();
    Active = false;
    return true;
}
