#pragma once

// CPU time the calling thread has used, in milliseconds: what the benchmarks
// charge to the user-interface thread.

#include <time.h>

namespace kqm52::bench {

inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace kqm52::bench
