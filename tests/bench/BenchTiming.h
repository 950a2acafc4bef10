#pragma once
// Timing for the benchmark programs: the best of several rounds, and rounds
// of shell commands printed against the first of them (cat of the same bytes).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace quarnel::bench {

// The best of several rounds, in milliseconds.
inline double Best(int rounds, const std::function<void()>& run)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

struct Command {
    const char* name;
    std::string line;
};

// Runs the commands in order, three times, each time printing every one's
// time and its ratio to the first. Returns 1 when a command failed.
inline int RunAgainstFirst(const char* label, const std::vector<Command>& commands)
{
    int status = 0;
    for (int run = 1; run <= 3; ++run) {
        double firstMs = 0;
        std::printf("%s run %d:", label, run);
        for (const Command& command : commands) {
            const double ms = Best(1, [&] {
                if (std::system(command.line.c_str()) != 0)
                    status = 1;
            });
            if (firstMs == 0)
                firstMs = ms;
            std::printf("  %s %.0f ms (%.1f x %s)", command.name, ms, ms / firstMs, commands.front().name);
        }
        std::printf("\n");
    }
    return status;
}

} // namespace quarnel::bench
