#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kw {

// Prints how long a stage took to standard error when KW_TIMING is set: a tool for tuning,
// silent otherwise.
class StageTimer {
public:
    explicit StageTimer(const char* stage)
        : stage_(stage), on_(std::getenv("KW_TIMING") != nullptr),
          start_(std::chrono::steady_clock::now()) {}
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;
    ~StageTimer() {
        if (on_) {
            const auto d = std::chrono::steady_clock::now() - start_;
            long pages = 0;
            if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
                long size = 0;
                if (std::fscanf(f, "%ld %ld", &size, &pages) != 2) {
                    pages = 0;
                }
                std::fclose(f);
            }
            std::fprintf(stderr, "%-20s %8.1f ms %7.0f MB resident\n", stage_,
                         std::chrono::duration<double, std::milli>(d).count(),
                         static_cast<double>(pages) * 4096 / (1 << 20));
        }
    }

private:
    const char* stage_;
    bool on_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace kw
