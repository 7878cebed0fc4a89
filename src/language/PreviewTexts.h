#pragma once

#include <QString>

#include <cstdint>

// The texts of the live 3D preview's controls, in English and Chinese (language 0 and 1, as
// in LanguageTables.h).
namespace language {

enum class PreviewText
{
    Renderer,
    AsMake3D,
    Fine,
    Oversampling,
    RandomDots,
    Seed,
    ConvergenceDots,
    SaveHint,
    SaveFilter,
    FullScreenHint,
    PrintHint,
};

QString PreviewTexts(PreviewText text, std::uint8_t UILanguage);

} // namespace language
