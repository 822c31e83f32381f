#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

namespace tovallo::bench {

// The best of `runs` timings of `work`, in seconds: the least disturbed by the rest of the machine.
inline double BestSeconds(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

} // namespace tovallo::bench
