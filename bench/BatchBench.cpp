// The batch command, files in and file out, against the floor of what any such command does:
// decode the depth map, touch an output-sized picture in fresh memory once, write the file.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "document/BatchCommands.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int BatchStripWidth = 100;
constexpr int OutputWidth = BatchStripWidth + fixtures::DepthWidth;
// The 3D picture as a 24-bit Windows bitmap: header, then rows padded to 4 bytes.
constexpr qsizetype BitmapBytes =
    54 + qsizetype((OutputWidth * 3 + 3) / 4 * 4) * fixtures::DepthHeight;

QString batchFile(const char* name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

// A grey PNG of the shapes depth map and a random-colour PNG strip, written once.
bool writeInputs()
{
    static const bool written = fixtures::shapesDepthMap()
                                    .image()
                                    .convertToFormat(QImage::Format_Grayscale8)
                                    .save(batchFile("depth.png")) &&
                                fixtures::patternStrip()
                                    .image()
                                    .copy(0, 0, BatchStripWidth, fixtures::DepthHeight)
                                    .save(batchFile("strip.png"));
    return written;
}

void make3d(benchmark::State& state, const char* output)
{
    if (!writeInputs()) {
        state.SkipWithError("cannot write the input files");
        return;
    }
    for (auto _ : state) {
        const QString error =
            make3dFiles(batchFile("strip.png"), batchFile("depth.png"), batchFile(output));
        if (!error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            break;
        }
    }
    state.counters["bytes"] = double(QFile(batchFile(output)).size());
}

void make3dBitmap(benchmark::State& state)
{
    make3d(state, "out.bmp");
}

// Also reports the PNG's size against what QImageWriter makes of the same picture by default.
void make3dPng(benchmark::State& state)
{
    make3d(state, "out.png");
    QByteArray qtPng;
    QBuffer buffer(&qtPng);
    buffer.open(QIODevice::WriteOnly);
    if (QImageWriter(&buffer, "png").write(QImage(batchFile("out.png")))) {
        state.counters["size_vs_qt"] = double(QFile(batchFile("out.png")).size()) / qtPng.size();
    }
}

void batchFloor(benchmark::State& state)
{
    if (!writeInputs()) {
        state.SkipWithError("cannot write the input files");
        return;
    }
    const size_t outputBytes = size_t(OutputWidth) * fixtures::DepthHeight * sizeof(QRgb);
    const std::unique_ptr<char[]> source(new char[outputBytes]);
    std::memset(source.get(), 0x5a, outputBytes);
    const QByteArray floorPath = QFile::encodeName(batchFile("floor.bin"));
    for (auto _ : state) {
        const QImage depth = QImageReader(batchFile("depth.png")).read();
        benchmark::DoNotOptimize(depth.constBits());
        const std::unique_ptr<char[]> fresh(new char[outputBytes]);
        std::memcpy(fresh.get(), source.get(), outputBytes);
        benchmark::DoNotOptimize(fresh.get());
        const int fd =
            ::open(floorPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool written =
            fd >= 0 && ::write(fd, fresh.get(), size_t(BitmapBytes)) == BitmapBytes;
        if (fd >= 0) {
            ::close(fd);
        }
        if (depth.isNull() || !written) {
            state.SkipWithError("floor failed");
            break;
        }
    }
}

} // namespace

std::vector<RatioTarget> batchTargets()
{
    return {
        {"batch_make3d/bmp", "batch_floor", 1.5},
        {"batch_make3d/png", "batch_make3d/bmp", 2.0},
    };
}

void registerBatchBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("batch_floor", batchFloor),
                    benchmark::RegisterBenchmark("batch_make3d/bmp", make3dBitmap),
                    benchmark::RegisterBenchmark("batch_make3d/png", make3dPng)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.5);
    }
}
