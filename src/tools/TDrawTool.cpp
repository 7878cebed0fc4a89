#include "tools/TDrawTool.h"

#include "tools/ToolAver.h"
#include "tools/ToolEllips.h"
#include "tools/ToolFill.h"
#include "tools/ToolLine.h"
#include "tools/ToolPencil.h"
#include "tools/ToolSelect.h"
#include "tools/ToolSuck.h"
#include "tools/ToolText.h"
#include "tools/toolRect.h"

TDrawTool::TDrawTool(DrawingState& state, ToolHost& host, ToolId toolId)
    : m_state(state), m_host(host), m_toolId(toolId),
      m_tool(std::make_unique<ToolSelect>(state, host))
{}

TDrawTool::~TDrawTool()
{
    FreeTool();
}

std::unique_ptr<TOneTool> TDrawTool::createTool(ToolId id, DrawingState& state,
                                                ToolHost& host)
{
    switch (id) {
    case ToolId::Pencil:
        return std::make_unique<ToolPencil>(state, host);
    case ToolId::Line:
        return std::make_unique<ToolLine>(state, host);
    case ToolId::Rect:
        return std::make_unique<toolRect>(state, host);
    case ToolId::Ellips:
        return std::make_unique<ToolEllips>(state, host);
    case ToolId::Text:
        return std::make_unique<ToolText>(state, host);
    case ToolId::Fill:
        return std::make_unique<ToolFill>(state, host);
    case ToolId::Suck:
        return std::make_unique<ToolSuck>(state, host);
    case ToolId::Aver:
        return std::make_unique<ToolAver>(state, host);
    case ToolId::Select:
    default:
        return std::make_unique<ToolSelect>(state, host);
    }
}

void TDrawTool::SelectTool(ToolId id)
{
    FreeTool();
    m_toolId = id;
    m_tool = m_factory(id, m_state, m_host);
}

void TDrawTool::FreeTool()
{
    // The old tool's destructor runs before the new tool exists, so what it restores (palettes,
    // timer period, menus) cannot undo what the new tool sets up.
    m_tool.reset();
}

void TDrawTool::MouseDown(int x, int y)
{
    if (m_tool) {
        m_tool->MouseDown(x, y);
    }
}

void TDrawTool::MouseMove(int x, int y)
{
    if (m_tool) {
        m_tool->MouseMove(x, y);
    }
}

void TDrawTool::MouseUp(int x, int y)
{
    if (m_tool) {
        m_tool->MouseUp(x, y);
    }
}

void TDrawTool::KeyPress(QChar key)
{
    if (m_tool) {
        m_tool->KeyPress(key);
    }
}

void TDrawTool::Tick()
{
    if (m_tool) {
        m_tool->Tick();
    }
}

bool TDrawTool::LoadFromFile(const QString& fileName, QString* error)
{
    return !m_tool || m_tool->LoadFromFile(fileName, error);
}

void TDrawTool::Paste()
{
    if (m_tool) {
        m_tool->Paste();
    }
}

void TDrawTool::Cut()
{
    if (m_tool) {
        m_tool->Cut();
    }
}

void TDrawTool::Copy()
{
    if (m_tool) {
        m_tool->Copy();
    }
}

void TDrawTool::SelectAll()
{
    if (m_tool) {
        m_tool->SelectAll();
    }
}

void TDrawTool::Delete()
{
    if (m_tool) {
        m_tool->Delete();
    }
}

void TDrawTool::Undo()
{
    if (m_tool) {
        m_tool->Undo();
    }
}

void TDrawTool::setMarksShown(bool shown)
{
    if (m_tool) {
        m_tool->setMarksShown(shown);
    }
}
