#pragma once

#include "tools/TOneTool.h"

// Types text into the active image at a blinking caret.
class ToolText final : public TOneTool
{
public:
    ToolText(DrawingState& state, ToolHost& host);
    ~ToolText() override;
};
