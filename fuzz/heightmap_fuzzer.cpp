// Feeds arbitrary bytes to the height-map decoder. Whatever it accepts must have the header's
// size and come back unchanged through encode and decode.
// Run: heightmap_fuzzer -max_len=65536 NEW_DIR fuzz/corpus/heightmap

#include "document/THeightMapFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    THeightMapFile file;
    const QByteArrayView bytes(data, qsizetype(size));
    if (!file.decode(bytes)) {
        if (!file.picture().isEmpty()) {
            std::abort(); // a refused file leaves no picture
        }
        return 0;
    }
    const RasterImage& picture = file.picture();
    if (picture.width() != (data[2] | (data[3] << 8)) ||
        picture.height() != (data[4] | (data[5] << 8))) {
        std::abort();
    }
    THeightMapFile again;
    if (!again.decode(THeightMapFile::encode(picture)) ||
        again.picture().image() != picture.image()) {
        std::abort();
    }
    return 0;
}
