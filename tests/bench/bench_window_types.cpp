// Times the window on the prototype types beside critters: a generated
// second-game install whose master archive holds 30,000 entries, 3,000 of
// them items (weapons named in items.lst and pro_item.msg, each with a
// ground and an inventory picture out of 20 of each, as items share art),
// opened as `quarnel PATH` opens it. Measures the switch from Critters to
// Items until the filled list is painted (goal < 300 ms), and the selection
// of an item, both of its pictures included (goal < 20 ms).
// Usage: bench_window_types [folder]; runs offscreen. Build with the release preset.
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "ProtoBuilder.h"
#include "RecordingDialogs.h"
#include "TypeTreeBuilder.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace quarnel::test;

namespace {

constexpr int kEntries = 30000;
constexpr int kItems = 3000;
constexpr int kPictures = 20;

std::string Numbered(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// One frame of width x height in the pattern's colours.
DatBytes Picture(int width, int height, int base)
{
    FrmRecipe recipe;
    recipe.frameSets.push_back({{width, height, PatternPixels(width, height, base), 0, 0, {}}});
    return BuildFrm(recipe);
}

void BuildInstall(const fs::path& root)
{
    fs::create_directories(root / "data");
    Dat2Writer master;
    std::string list;
    std::string names;
    for (int n = 1; n <= kItems; ++n) {
        // A weapon: 122 bytes, PID n, text ID n x 100, pictures of index n mod 20.
        std::vector<std::uint8_t> weapon = ProtoBuilder(122, std::uint8_t(n)).Bytes();
        WriteBigEndian(weapon, kOffsetPid, 4, std::uint32_t(n));
        WriteBigEndian(weapon, kOffsetTextId, 4, std::uint32_t(n * 100));
        WriteBigEndian(weapon, kOffsetFid, 4, std::uint32_t(n % kPictures));
        WriteBigEndian(weapon, kOffsetSubtype, 4, 3);
        WriteBigEndian(weapon, kOffsetItemMaterial, 4, 1);
        WriteBigEndian(weapon, kOffsetInventoryFid, 4, 0x07000000u | std::uint32_t(n % kPictures));
        master.Zlib(Numbered("proto\\items\\%08d.pro", n), weapon);
        list += Numbered("%08d.pro\r\n", n);
        names += "{" + std::to_string(n * 100) + "}{}{Weapon " + std::to_string(n) + "}\r\n{" +
                 std::to_string(n * 100 + 1) + "}{}{A weapon numbered " + std::to_string(n) + ".}\r\n";
    }
    master.Zlib("proto\\items\\items.lst", list);
    master.Zlib("text\\english\\game\\pro_item.msg", names);
    std::string ground;
    std::string inventory;
    for (int n = 0; n < kPictures; ++n) {
        ground += Numbered("ground%02d.frm\r\n", n);
        inventory += Numbered("inven%02d.frm\r\n", n);
        master.Zlib(Numbered("art\\items\\ground%02d.frm", n), Picture(80, 60, n));
        master.Zlib(Numbered("art\\inven\\inven%02d.frm", n), Picture(90, 60, n + 7));
    }
    master.Stored("art\\items\\items.lst", ground);
    master.Stored("art\\inven\\inven.lst", inventory);
    master.Zlib("color.pal", BuildPalette());
    master.Zlib("proto\\critters\\00000001.pro", ProtoBuilder(416).Bytes());
    master.Stored("proto\\critters\\critters.lst", "00000001.pro\r\n");
    for (int n = kItems + 2 * kPictures + 7; n < kEntries; ++n)
        master.Stored(Numbered(n % 2 ? "art\\items\\filler%05d.frm" : "maps\\filler%05d.map", n), "x");
    WriteAllBytes(root / "master.dat", master.Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
}

double MsSince(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quarnel-bench-window-types";
    fs::remove_all(root);
    quarnel::SetExecutableFolder(root);
    RecordingDialogs dialogs;
    const fs::path install = root / "Fallout2";
    BuildInstall(install);

    quarnel::TForm1 form(nullptr, install);
    form.show();
    QApplication::processEvents();
    auto* critters = form.findChild<QAction*>("ViewCritters1");
    auto* items = form.findChild<QAction*>("ViewItems1");
    if (!critters || !items) {
        std::printf("the window has no View menu items for the types\n");
        fs::remove_all(root);
        return 1;
    }

    double bestSwitch = 1e300;
    int rows = 0;
    for (int run = 1; run <= 3; ++run) {
        critters->trigger();
        QApplication::processEvents();
        const auto started = std::chrono::steady_clock::now();
        items->trigger();
        QApplication::processEvents(); // the filled list painted
        const double took = MsSince(started);
        bestSwitch = std::min(bestSwitch, took);
        rows = form.ListViewFiles->rowCount();
        std::printf("switch to Items with %d rows: %.1f ms\n", rows, took);
    }
    std::printf("switch to Items on %d archive entries, best of 3: %.1f ms (goal < 300 ms)\n", kEntries, bestSwitch);

    auto* ground = form.findChild<QLabel*>("ImagePrototype");
    auto* inventory = form.findChild<QLabel*>("ImageInventory");
    double worst = 0;
    double total = 0;
    int withBoth = 0;
    const int selections = 50;
    for (int i = 0; i < selections; ++i) {
        const int row = (i * 97 + 13) % std::max(rows, 1);
        const auto started = std::chrono::steady_clock::now();
        form.ListViewFiles->selectRow(row);
        QApplication::processEvents();
        const double took = MsSince(started);
        worst = std::max(worst, took);
        total += took;
        if (ground && inventory && !ground->pixmap().isNull() && !inventory->pixmap().isNull())
            ++withBoth;
    }
    std::printf("item selected, both pictures included: mean %.2f ms, worst %.2f ms of %d, %d with both pictures "
                "(goal < 20 ms)\n",
                total / selections, worst, selections, withBoth);
    fs::remove_all(root);
    return rows == kItems && withBoth == selections ? 0 : 1;
}
