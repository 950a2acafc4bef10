// Times the window's start-up (scan, list fill and first load) and a list
// refill on a generated folder of 10,000 critters with a 10,000-line name
// table. Usage: bench_window [count] [folder]; runs offscreen.
#include "GameFolderBuilder.h"
#include "RecordingDialogs.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QTableWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "quarnel-bench-window";
    fs::remove_all(root);
    quarnel::test::BuildGameFolder(root / "FO2", count, 416);
    quarnel::SetExecutableFolder(root);
    quarnel::test::RecordingDialogs dialogs;

    auto ms = [](auto from) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
    };
    auto started = std::chrono::steady_clock::now();
    quarnel::TForm1 form; // start-up: scan, fill, first load (its picture step reports the missing archive)
    const double startup = ms(started);
    const int rows = form.ListViewFiles->rowCount();
    std::printf("start-up with %d rows: %.1f ms\n", rows, startup);
    for (int run = 1; run <= 3; ++run) {
        started = std::chrono::steady_clock::now();
        form.FillCritterList();
        std::printf("refill %d: %.1f ms\n", run, ms(started));
    }
    fs::remove_all(root);
    return rows == count ? 0 : 1;
}
