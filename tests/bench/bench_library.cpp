// Times the folder scan of a generated game folder: 10,000 critters and a
// 10,000-line name table. Usage: bench_library [count] [folder]
#include "library/GameFolderScan.h"
#include "library/IniFile.h"
#include "GameFolderBuilder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "quarnel-bench-library";
    fs::remove_all(root);
    const fs::path game = root / "FO2";
    const fs::path temp = root / "temp";

    auto started = std::chrono::steady_clock::now();
    quarnel::test::BuildGameFolder(game, count, 416);
    auto ms = [](auto from) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
    };
    std::printf("generated %d critters in %.1f ms\n", count, ms(started));

    int status = 0;
    for (int run = 1; run <= 3; ++run) {
        started = std::chrono::steady_clock::now();
        quarnel::ScanGameFolder(game, game / "pro_crit.ini", temp);
        const double scan = ms(started);
        started = std::chrono::steady_clock::now();
        const std::size_t names = quarnel::ReadNamesFile(temp).size();
        std::printf("run %d: scan %.1f ms, names file read %.1f ms (%zu names)\n", run, scan, ms(started), names);
        if (names != static_cast<std::size_t>(count))
            status = 1;
    }
    // For comparison: the reader that rereads the table for every file.
    const int sample = count < 100 ? count : 100;
    started = std::chrono::steady_clock::now();
    for (int i = 0; i < sample; ++i)
        quarnel::ReadIniValue(game / "pro_crit.ini", "Description", std::to_string((count - i) * 100));
    const double perLookup = ms(started) / (sample > 0 ? sample : 1);
    std::printf("ReadIniValue per file instead: %.2f ms a lookup, about %.0f ms for %d files\n", perLookup,
                perLookup * count, count);

    fs::remove_all(root);
    return status;
}
