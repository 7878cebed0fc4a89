// Feeds arbitrary bytes to the project file parser, then writes keys into them in memory and
// checks what a write promises: the key reads back, and other keys read exactly as before,
// whatever the encoding of the file.
// Run: ini_fuzzer -max_len=4096 -dict=fuzz/ini.dict NEW_DIR fuzz/corpus/ini

#include "document/TMy3DFile.h"

#include <QList>

#include <cstdint>
#include <cstdlib>

namespace {

struct Key
{
    QString section;
    QString name;
};

const QString missing = QStringLiteral("\x01missing");

// Writes `value` to `key` in a copy of `input` and checks the promise against `others`.
void checkWrite(const QByteArray& input, const Key& key, const QString& value,
                std::initializer_list<Key> others)
{
    QList<QString> before;
    for (const Key& other : others) {
        before << TMy3DFile::readStringIn(input, other.section, other.name, missing);
    }
    QByteArray content = input;
    if (!TMy3DFile::writeStringIn(content, key.section, key.name, value)) {
        if (content != input) {
            std::abort(); // a refused write changes nothing
        }
        return;
    }
    if (TMy3DFile::readStringIn(content, key.section, key.name, missing) != value) {
        std::abort();
    }
    int i = 0;
    for (const Key& other : others) {
        if (TMy3DFile::readStringIn(content, other.section, other.name, missing) != before[i++]) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const Key lay{QStringLiteral("Files"), QStringLiteral("LayFile")};
    const Key back{QStringLiteral("Files"), QStringLiteral("BackFile")};
    // ']' is the trail byte of U+5862 in GBK; the others are plain Chinese.
    const Key odd{QStringLiteral("\u5862"), QStringLiteral("k")};
    const Key chinese{QStringLiteral("\u6587\u4ef6"), QStringLiteral("\u540d")};

    checkWrite(input, lay, QStringLiteral("D:\\art\\my leaves;2.bmp"), {back, odd, chinese});
    // "D:\pictures\" in Chinese, whose GBK bytes happen to be valid UTF-8.
    checkWrite(input, lay, QStringLiteral("D:\\\u56fe\u7247\\a.bmp"), {back, odd, chinese});
    // Non-ASCII names, and text GBK cannot hold, take the encoder's other paths.
    checkWrite(input, chinese, QStringLiteral("\u503c \u2603"), {lay, back, odd});
    return 0;
}
