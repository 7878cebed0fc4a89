#pragma once

#include "tools/TOneTool.h"

// Flood-fills a region in the current colour. The fill ignores the paint mode, so the
// paint-mode buttons are hidden while it is current.
class ToolFill final : public TOneTool
{
public:
    ToolFill(DrawingState& state, ToolHost& host);
    ~ToolFill() override;
};
