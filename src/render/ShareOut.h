#pragma once

#include <atomic>
#include <exception>
#include <thread>
#include <type_traits>

// Runs work(0) .. work(parts - 1) on the calling thread and, with `together`, on one more:
// each thread takes the next part not yet taken, so that a thread the system keeps waiting
// leaves its share to the other. Work that takes a second argument is told which thread runs
// it, 0 for the calling one and 1 for the other. Returns once all are done; an exception from
// either thread comes out here.
template <typename Work> void shareOut(bool together, int parts, const Work& work)
{
    std::atomic<int> next = 0;
    const auto run = [&](int worker) {
        for (int part = next++; part < parts; part = next++) {
            if constexpr (std::is_invocable_v<const Work&, int, int>) {
                work(part, worker);
            } else {
                work(part);
            }
        }
    };
    if (!together) {
        run(0);
        return;
    }
    std::exception_ptr failed;
    std::thread other([&] {
        try {
            run(1);
        } catch (...) {
            next = parts;
            failed = std::current_exception();
        }
    });
    try {
        run(0);
    } catch (...) {
        next = parts;
        other.join();
        throw;
    }
    other.join();
    if (failed) {
        std::rethrow_exception(failed);
    }
}
