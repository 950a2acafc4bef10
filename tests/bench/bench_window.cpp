// Times the window's start-up (scan, list fill and first load) and a list
// refill on a generated folder of 10,000 critters with a 10,000-line name
// table; then the opening of a generated second-game install (a master
// archive of 30,000 entries, 1,000 of them critters, and their names) until
// the filled list shows, and the selection of a critter in it; last a save
// of one critter of an install of 30,000 critters, until the window is back
// in browsing mode with the saved critter shown.
// Usage: bench_window [count] [folder]; runs offscreen.
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "GameFolderBuilder.h"
#include "ProtoBuilder.h"
#include "RecordingDialogs.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kInstallEntries = 30000;
constexpr int kInstallCritters = 1000;
constexpr int kInstallPictures = 20; // critters share pictures, as in the games
constexpr int kLargeInstallCritters = 30000;

std::string Numbered(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// A standing picture of six directions, one 50 x 90 frame each.
quarnel::test::DatBytes StandingPicture(int n)
{
    quarnel::test::FrmRecipe recipe;
    for (int d = 0; d < 6; ++d) {
        std::vector<std::uint8_t> pixels(50 * 90);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = std::uint8_t(i % 7 == 0 ? 0 : (n * 11 + d * 3 + i) % 255 + 1);
        recipe.frameSets.push_back({{50, 90, pixels, 0, 0, {}}});
    }
    recipe.directionSet = quarnel::test::SixDirections();
    return quarnel::test::BuildFrm(recipe);
}

// master.dat: 1,000 zlib-packed critters, their pro_crit.msg, the palette,
// the critter art list and pictures, and filler entries up to 30,000 (art,
// maps) as an install has them.
void BuildInstall(const fs::path& root)
{
    fs::create_directories(root / "data");
    quarnel::test::Dat2Writer master;
    std::string names;
    for (int n = 1; n <= kInstallCritters; ++n) {
        quarnel::test::ProtoBuilder critter(416, std::uint8_t(n));
        critter.Typical().PidNumber(n).TextId(n * 100).Set(8, 4, 0x01000000 | (n % kInstallPictures));
        master.Zlib(Numbered("proto\\critters\\%08d.pro", n), critter.Bytes());
        names += "{" + std::to_string(n * 100) + "}{}{Critter number " + std::to_string(n) + "}\r\n";
    }
    master.Zlib("text\\english\\game\\pro_crit.msg", names);
    master.Zlib("color.pal", quarnel::test::BuildPalette());
    std::string list;
    for (int n = 0; n < kInstallPictures; ++n) {
        list += Numbered("crit%02d,11\r\n", n);
        master.Zlib(Numbered("art\\critters\\crit%02daa.frm", n), StandingPicture(n));
    }
    master.Stored("art\\critters\\critters.lst", list);
    for (int n = kInstallCritters + 3 + kInstallPictures; n < kInstallEntries; ++n)
        master.Stored(Numbered(n % 2 ? "art\\critters\\filler%05d.frm" : "maps\\filler%05d.map", n), "x");
    quarnel::test::WriteAllBytes(root / "master.dat", master.Build());
    quarnel::test::WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
}

// master.dat of 30,000 stored critters and their names, nothing else.
void BuildLargeInstall(const fs::path& root)
{
    fs::create_directories(root / "data");
    quarnel::test::Dat2Writer master;
    std::string names;
    for (int n = 1; n <= kLargeInstallCritters; ++n) {
        quarnel::test::ProtoBuilder critter(416, std::uint8_t(n));
        critter.Typical().PidNumber(n).TextId(n * 100);
        master.Stored(Numbered("proto\\critters\\%08d.pro", n), critter.Bytes());
        names += "{" + std::to_string(n * 100) + "}{}{Critter number " + std::to_string(n) + "}\r\n";
    }
    master.Zlib("text\\english\\game\\pro_crit.msg", names);
    quarnel::test::WriteAllBytes(root / "master.dat", master.Build());
    quarnel::test::WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
}

// Saves an edit of the experience points of a few critters of the large
// install; prints the mean and the worst time of SAVE.
void TimeSaves(quarnel::TForm1& form, const fs::path& root)
{
    BuildLargeInstall(root);
    form.OpenGameFolder(root);
    QApplication::processEvents();
    double worst = 0;
    double total = 0;
    const int saves = 5;
    for (int i = 0; i < saves; ++i) {
        form.ListViewFiles->selectRow((i * 7919 + 11) % form.ListViewFiles->rowCount());
        QApplication::processEvents();
        QLineEdit* field = form.Edit("EditExpPoints");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, "1");
        const auto started = std::chrono::steady_clock::now();
        form.BitBtnSave->click();
        QApplication::processEvents();
        const double took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        worst = std::max(worst, took);
        total += took;
    }
    std::printf("save on an install of %d critters: mean %.1f ms, worst %.1f ms of %d (goal < 50 ms)\n",
                form.ListViewFiles->rowCount(), total / saves, worst, saves);
}

} // namespace

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

    // The install: opened through the menu's function, then rows selected, the window shown.
    form.show();
    const fs::path install = root / "Fallout2";
    BuildInstall(install);
    double bestOpen = 1e300;
    int installRows = 0;
    for (int run = 1; run <= 3; ++run) {
        started = std::chrono::steady_clock::now();
        form.OpenGameFolder(install);
        QApplication::processEvents(); // the filled list painted
        const double opened = ms(started);
        bestOpen = std::min(bestOpen, opened);
        installRows = form.ListViewFiles->rowCount();
        std::printf("install of %d entries opened with %d rows: %.1f ms\n", kInstallEntries, installRows, opened);
    }
    if (!form.Edit1->text().startsWith("crit01aa"))
        std::printf("the first critter shows no picture: %s\n", form.Edit1->text().toUtf8().constData());
    double worstSelect = 0;
    double totalSelect = 0;
    const int selections = 50;
    for (int i = 0; i < selections; ++i) {
        const int row = (i * 97 + 13) % installRows;
        started = std::chrono::steady_clock::now();
        form.ListViewFiles->selectRow(row);
        QApplication::processEvents();
        const double took = ms(started);
        worstSelect = std::max(worstSelect, took);
        totalSelect += took;
    }
    std::printf("install opened, best of 3: %.1f ms (goal < 300 ms)\n", bestOpen);
    if (form.Image1->pixmap().isNull())
        std::printf("the last critter selected shows no picture\n");
    std::printf("critter selected, its picture included: mean %.2f ms, worst %.2f ms of %d (goal < 20 ms)\n",
                totalSelect / selections, worstSelect, selections);
    TimeSaves(form, root / "Large");
    fs::remove_all(root);
    return rows == count && installRows == kInstallCritters ? 0 : 1;
}
