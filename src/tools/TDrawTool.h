#pragma once

#include "tools/TOneTool.h"

#include <cstdint>
#include <functional>
#include <memory>

struct DrawingState;
class ToolHost;

// The nine tools of the tool bar.
enum class ToolId : std::uint8_t
{
    Pencil,
    Select,
    Line,
    Rect,
    Ellips,
    Text,
    Fill,
    Suck,
    Aver,
};

// The tool dispatcher: owns the one current tool and passes every event of the active image to
// it.
class TDrawTool final
{
public:
    using Factory = std::function<std::unique_ptr<TOneTool>(ToolId id, DrawingState&, ToolHost&)>;

    // Stores `toolId` but starts with the selection tool, whatever the id.
    TDrawTool(DrawingState& state, ToolHost& host, ToolId toolId);
    ~TDrawTool();

    TDrawTool(const TDrawTool&) = delete;
    TDrawTool& operator=(const TDrawTool&) = delete;

    // Destroys the current tool (which restores the windows it changed), then creates the tool
    // `id`. Selecting the current tool again restarts it.
    void SelectTool(ToolId id);
    // Destroys the current tool; events are ignored until the next SelectTool.
    void FreeTool();

    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(int x, int y);
    void KeyPress(QChar key);
    void Tick();
    bool LoadFromFile(const QString& fileName, QString* error = nullptr);
    void Paste();
    void Cut();
    void Copy();
    void SelectAll();
    void Delete();
    void Undo();
    void setMarksShown(bool shown);

    // The id last given to the constructor or to SelectTool.
    ToolId toolId() const { return m_toolId; }
    TOneTool* currentTool() const { return m_tool.get(); }

    // The nine tools of the program by id.
    static std::unique_ptr<TOneTool> createTool(ToolId id, DrawingState& state,
                                                ToolHost& host);
    // Replaces how SelectTool makes tools, so that a test tool can stand in for a drawing tool.
    void setFactory(Factory factory) { m_factory = std::move(factory); }

private:
    DrawingState& m_state;
    ToolHost& m_host;
    ToolId m_toolId;
    Factory m_factory = &TDrawTool::createTool;
    std::unique_ptr<TOneTool> m_tool;
};
