#pragma once

#include "tools/TOneTool.h"

#include <cstdint>
#include <functional>
#include <memory>

struct DrawingState;
class ToolHost;

// The tool dispatcher: owns the one current tool and passes every event of the active image to
// it. Tool ids: 0 pencil, 1 select, 2 line, 3 rectangle, 4 ellipse, 5 text, 6 fill,
// 7 colour pick-up, 8 smoothing.
class TDrawTool final
{
public:
    enum ToolId : std::uint8_t
    {
        PencilId,
        SelectId,
        LineId,
        RectId,
        EllipsId,
        TextId,
        FillId,
        SuckId,
        AverId,
    };

    using Factory =
        std::function<std::unique_ptr<TOneTool>(std::uint8_t id, DrawingState&, ToolHost&)>;

    // Stores `toolId` but starts with the selection tool, whatever the id.
    TDrawTool(DrawingState& state, ToolHost& host, std::uint8_t toolId);
    ~TDrawTool();

    TDrawTool(const TDrawTool&) = delete;
    TDrawTool& operator=(const TDrawTool&) = delete;

    // Destroys the current tool (which restores the windows it changed), then creates the tool
    // `id`. Selecting the current tool again restarts it.
    void SelectTool(std::uint8_t id);
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
    void Undo();
    void setMarksShown(bool shown);

    // The id last given to the constructor or to SelectTool.
    std::uint8_t toolId() const { return m_toolId; }
    TOneTool* currentTool() const { return m_tool.get(); }

    // The nine tools of the program by id.
    static std::unique_ptr<TOneTool> createTool(std::uint8_t id, DrawingState& state,
                                                ToolHost& host);
    // Replaces how SelectTool makes tools, so that a test tool can stand in for a drawing tool.
    void setFactory(Factory factory) { m_factory = std::move(factory); }

private:
    DrawingState& m_state;
    ToolHost& m_host;
    std::uint8_t m_toolId;
    Factory m_factory = &TDrawTool::createTool;
    std::unique_ptr<TOneTool> m_tool;
};
