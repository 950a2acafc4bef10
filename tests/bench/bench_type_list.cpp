// A type's list through the tree source on a generated second-game install
// of 30,000 archive entries: 3,000 items (zlib-packed weapon records) named
// in items.lst and pro_item.msg, the rest art. Times the list in list-file
// order with every row's name, as the window fills it on switching to
// Items (goal: well under 300 ms), and the opening of the install apart.
#include "BenchTiming.h"
#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "source/TreeSource.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using quarnel::bench::Best;

constexpr int kItems = 3000;
constexpr int kEntries = 30000;

std::string Number(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

} // namespace

int main()
{
    const fs::path install = fs::temp_directory_path() / "quarnel-bench-type-list";
    fs::remove_all(install);
    fs::create_directories(install);

    Dat2Writer writer;
    std::string list;
    std::string names;
    for (int i = 1; i <= kItems; ++i) {
        // A weapon: 179 bytes, subtype 3 at bytes 32-35, text ID i * 100.
        writer.Zlib(Number("proto\\items\\%08d.pro", i),
                    ProtoBuilder(179, static_cast<std::uint8_t>(i)).Set(0, 4, i).TextId(i * 100).Set(32, 4, 3).Bytes());
        list += Number("%08d.pro\r\n", i);
        names += "{" + std::to_string(i * 100) + "}{}{Weapon " + std::to_string(i) + "}\r\n";
    }
    writer.Zlib("proto\\items\\items.lst", list);
    writer.Zlib("text\\english\\game\\pro_item.msg", names);
    for (int i = kItems + 2; i < kEntries; ++i)
        writer.Stored(Number("art\\items\\ITEM%05d.FRM", i), DatText("frm"));
    WriteAllBytes(install / "master.dat", writer.Build());
    WriteAllBytes(install / "critter.dat", Dat2Writer().Build());
    WriteTextFile(install / "fallout2.cfg", "[system]\r\nmaster_patches=data\r\n");

    std::size_t rows = 0;
    std::size_t named = 0;
    const double openMs = Best(5, [&] { TreeSource source(install); });
    const TreeSource source(install);
    const double listMs = Best(10, [&] {
        const std::vector<SourceEntry> entries = source.List(ProtoType::Item);
        const SourceNames itemNames = source.Names(ProtoType::Item, NameEncoding::Automatic);
        rows = entries.size();
        named = 0;
        for (const SourceEntry& entry : entries)
            if (entry.textId && !itemNames.Text(*entry.textId).empty())
                ++named;
    });
    std::printf("install: %d archive entries, %d items\n", kEntries, kItems);
    std::printf("open the install: %.1f ms\n", openMs);
    std::printf("items listed in items.lst order with names: %.1f ms (%zu rows, %zu named; goal well under 300 ms)\n",
                listMs, rows, named);
    fs::remove_all(install);
    return rows == kItems && named == kItems ? 0 : 1;
}
