#pragma once

#include "pickers/FloatingPalette.h"

// A palette window with nothing in it, standing in for one that a test does not build.
class StandInPalette final : public FloatingPalette
{
public:
    StandInPalette() : FloatingPalette(nullptr) {}
    void FormActivate() override {}
    void followCurrentColor() override {}
};
