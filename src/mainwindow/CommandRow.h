#pragma once

#include "language/LanguageTables.h"
#include "widgets/Glyphs.h"

#include <QKeySequence>
#include <QPoint>

#include <optional>

class TForm1;

// One command of the main window as the command table describes it: the action, its menu item,
// its button, its keys and its texts in both languages. The texts given here are the ones shown
// until the first language switch; the language rows replace them from then on.
struct CommandRow
{
    enum class Menu : std::uint8_t
    {
        None,
        File,
        Edit,
        View,
        Text,
        Help,
    };
    // The bar a command's button sits in: the speed bar, the file buttons' box in the tool bar,
    // or the tool bar's exclusive tool buttons.
    enum class Bar : std::uint8_t
    {
        None,
        Speed,
        Files,
        Tools,
    };
    enum Flag : unsigned
    {
        Checkable = 1,
        Checked = 2,
        Disabled = 4,
        Hidden = 8,
        SeparatorBefore = 16,
    };

    // The action's object name: the menu item's where there is one, otherwise the button's.
    const char* name;
    Menu menu = Menu::None;
    const char* caption = nullptr;
    std::optional<language::TextTarget> captionText{};
    Bar bar = Bar::None;
    const char* button = nullptr;
    QPoint at{};
    // "tooltip|long hint"; a hint without "|" is all tooltip.
    const char* hint = nullptr;
    std::optional<language::TextTarget> hintText{};
    Glyph glyph = Glyph::NewFile;
    // What the command does; tools have none, their button selects the tool `tool`.
    void (*run)(TForm1&) = nullptr;
    int tool = -1;
    // The platform's key for the command; `keys` where the platform names none, or the key
    // itself when there is no standard one ("; " between several).
    QKeySequence::StandardKey standardKey = QKeySequence::UnknownKey;
    const char* keys = nullptr;
    unsigned flags = 0;
};
