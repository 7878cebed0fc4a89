// Feeds arbitrary bytes to the project file parser, then writes a key into them in memory and
// checks what a write promises: the key reads back, and a neighbouring key reads as before.
// Run: ini_fuzzer -max_len=4096 -dict=fuzz/ini.dict CORPUS_DIR

#include "document/TMy3DFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool isAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString section = QStringLiteral("Files");
    const QString key = QStringLiteral("LayFile");
    const QString neighbour = QStringLiteral("BackFile");
    const QString missing = QStringLiteral("\x01missing");

    const QString neighbourBefore = TMy3DFile::readStringIn(input, section, neighbour, missing);
    TMy3DFile::readStringIn(input, QStringLiteral("\u5862"), QStringLiteral("k"));

    // The whole file's encoding may flip between UTF-8 and GBK when the bytes that decided it
    // are overwritten, which changes how non-ASCII text elsewhere reads; ASCII reads the same.
    QByteArray content = input;
    const QString value = QStringLiteral("D:\\art\\my leaves;2.bmp");
    if (TMy3DFile::writeStringIn(content, section, key, value)) {
        if (TMy3DFile::readStringIn(content, section, key, missing) != value) {
            std::abort();
        }
        if (isAscii(neighbourBefore) &&
            TMy3DFile::readStringIn(content, section, neighbour, missing) != neighbourBefore) {
            std::abort();
        }
    } else if (content != input) {
        std::abort();
    }

    // Non-ASCII text takes the GBK encoder's path when the input is not UTF-8.
    content = input;
    TMy3DFile::writeStringIn(content, QStringLiteral("\u6587\u4ef6"), QStringLiteral("\u540d"),
                             QStringLiteral("\u503c \u2603"));
    return 0;
}
