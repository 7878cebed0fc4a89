#pragma once

#include <QString>

struct DocumentState;

// The main window's caption: the project's file name (or "[UNTITLED]") and the active image's
// file name, each without its folder.
QString mainWindowCaption(const DocumentState& document, bool depthMapActive);
