// A main for a fuzz target where libFuzzer is not at hand: runs LLVMFuzzerTestOneInput once on
// every file named, or found directly in a folder named, on the command line. A target aborts
// on a broken promise, so the run fails as the fuzzer would. Exits 2 when nothing was run.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (!QFileInfo(arg).isDir()) {
            inputs << arg;
            continue;
        }
        const QDir dir(arg);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            inputs << dir.filePath(name);
        }
    }
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], qUtf8Printable(input));
            return 1;
        }
        // A copy of its own, so reading past the end is caught as it would be by the fuzzer.
        const QByteArray bytes = file.readAll();
        const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(copy.data(), copy.size());
    }
    std::printf("%s: ran %lld inputs\n", argv[0], static_cast<long long>(inputs.size()));
    return inputs.isEmpty() ? 2 : 0;
}
