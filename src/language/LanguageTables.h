#pragma once

#include <QString>

#include <cstdint>

// The texts that exist in English and in Chinese and are read at the moment they are shown.
// Language 0 is English, 1 is Chinese; any other value reads as English.
namespace language {

inline constexpr std::uint8_t English = 0;
inline constexpr std::uint8_t Chinese = 1;

// Rows of the status-bar hints, one per area of the main window.
enum class HintRow { ToolBar, SpeedBar, LeftPane, RightPane };
// Rows of the messages.
enum class MessageRow { QuitQuestion, Archieving, PleaseWait };

QString StatusHints(HintRow row, std::uint8_t UILanguage);
QString LanguageMessages(MessageRow row, std::uint8_t UILanguage);

} // namespace language
