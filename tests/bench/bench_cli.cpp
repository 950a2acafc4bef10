// Times quarnel-cli's show, export and set --rules over a generated folder of
// 10,000 critters against cat of the same files, each run as a program from
// the shell. Usage: bench_cli [count] [folder]
#include "GameFolderBuilder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "quarnel-bench-cli";
    fs::remove_all(root);
    const fs::path game = root / "FO2";
    quarnel::test::BuildGameFolder(game, count, 416);
    std::printf("%d critters of 416 bytes in %s\n", count, game.c_str());

    const std::string cli = QUARNEL_CLI_EXECUTABLE;
    const std::string folder = "'" + game.string() + "'";
    struct Command {
        const char* name;
        std::string line;
    };
    const Command commands[] = {
        {"cat", "cat " + folder + "/*.pro >/dev/null"},
        {"show", cli + " show " + folder + " >/dev/null"},
        {"export", cli + " export " + folder + " >/dev/null"},
        {"set --rules", cli + " set --rules extra.ST+=1 -- " + folder},
    };
    int status = 0;
    for (int run = 1; run <= 3; ++run) {
        double catMs = 0;
        std::printf("run %d:", run);
        for (const Command& command : commands) {
            const auto started = std::chrono::steady_clock::now();
            if (std::system(command.line.c_str()) != 0)
                status = 1;
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
            if (catMs == 0)
                catMs = ms;
            std::printf("  %s %.0f ms (%.1f x cat)", command.name, ms, ms / catMs);
        }
        std::printf("\n");
    }
    fs::remove_all(root);
    return status;
}
