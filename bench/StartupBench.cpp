// The editor's start-up against a bare Qt main window: both are new processes on the offscreen
// platform that say so as soon as their window is shown and their event loop is idle, so both
// pay for loading Qt and connecting to the platform.

#include "Benchmarks.h"

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>

namespace {

void startProcess(benchmark::State& state, const char* program, const QStringList& arguments = {})
{
    QTemporaryDir socketFolder; // keeps the editor's host link apart from other copies
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("DEPTHLOOM_QUIT_WHEN_IDLE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TMPDIR"), socketFolder.path());
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        const auto start = std::chrono::steady_clock::now();
        process.start(QString::fromLocal8Bit(program), arguments);
        // The program says "idle" once its window is shown and its event loop has nothing left
        // to do; leaving is not part of starting.
        const bool idle = process.waitForReadyRead(30000);
        const auto end = std::chrono::steady_clock::now();
        if (!idle || !process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("the program did not start and end cleanly");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void startup_to_window(benchmark::State& state)
{
    startProcess(state, DEPTHLOOM_EXE);
}

void startup_bare_window(benchmark::State& state)
{
    startProcess(state, BARE_WINDOW_EXE);
}

// For comparison: the same bare window with one menu title, the least text a window can show.
// The first text drawn starts the font system, which the bare window never does.
void startup_text_window(benchmark::State& state)
{
    startProcess(state, BARE_WINDOW_EXE, {QStringLiteral("--menu")});
}

} // namespace

void registerStartupBenchmarks()
{
    for (auto* benchmark :
         {benchmark::RegisterBenchmark("startup_bare_window", startup_bare_window),
          benchmark::RegisterBenchmark("startup_text_window", startup_text_window),
          benchmark::RegisterBenchmark("startup_to_window", startup_to_window)}) {
        benchmark->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5);
    }
}

std::vector<RatioTarget> startupTargets()
{
    return {{"startup_to_window", "startup_bare_window", 1.5},
            {"startup_to_window", "startup_text_window", 1.5}};
}
