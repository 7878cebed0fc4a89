#include "raster/GreyPalette.h"

namespace greypalette {

LogicalPalette make()
{
    LogicalPalette palette;
    palette.reserve(Size);
    for (int i = 0; i < Size; ++i) {
        const auto level = std::uint8_t(FirstGrey + i);
        palette.append(PaletteEntry{level, level, level, NoCollapse});
    }
    return palette;
}

} // namespace greypalette
