#pragma once
// quarnel-cli run in process, and the critters its tests build.
#include "cli/CliApp.h"
#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "TestDataFolders.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace quarnel::test::cli {

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline Result Cli(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    const int status = quarnel::cli::RunCli(arguments, out, err);
    return {status, out.str(), err.str()};
}

inline std::string Text(const std::filesystem::path& path) { return path.string(); }

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A critter that every check of check passes: the layout's enum and
// resistance fields set to valid values (the builder fills the rest of the
// record with a byte pattern).
inline ProtoBuilder CleanCritter(int number, int size = 416)
{
    ProtoBuilder critter(size);
    critter.Set(0, 2, 0x100).PidNumber(number).TextId(number * 100);
    critter.Set(172, 4, 10).Set(176, 4, 20).Set(400, 4, 0).Set(408, 4, 0);
    if (size == 416)
        critter.Set(412, 4, 0);
    return critter;
}

inline std::filesystem::path RealFolder(const char* game) { return DataFolder(QUARNEL_SHARED_TESTDATA) / game; }

// Copies of every real critter, writable, into folder/FO1 and folder/FO2.
inline bool CopyRealCritters(const std::filesystem::path& folder)
{
    for (const char* game : {"FO1", "FO2"}) {
        if (!IsPresent(RealFolder(game)))
            return false;
        CopyFolderFiles(RealFolder(game), folder / game);
    }
    return true;
}

// A second-game archive of count entries folder\0.bin, folder\1.bin, ...
// of 1 MiB of zeros each, all pointing at one zlib stream: count MiB
// unpacked from an archive of a few KB.
inline DatBytes SharedStreamDat(const std::string& folder, int count)
{
    Dat2Writer shared;
    const DatBytes megabyte = ZlibStream(DatBytes(1 << 20, 0));
    for (int i = 0; i < count; ++i) {
        DatEntry entry;
        entry.name = folder + "\\" + std::to_string(i) + ".bin";
        entry.unpackedSize = 1 << 20;
        entry.method = 1;
        if (i == 0)
            entry.packed = megabyte;
        else
            entry.offset = 0, entry.packedSize = static_cast<std::uint32_t>(megabyte.size());
        shared.Add(entry);
    }
    return shared.Build();
}

// The folders check of items reads under root: proto/items, proto/misc and
// the english message folder, created.
struct ItemFolders {
    std::filesystem::path items, misc, messages;
    explicit ItemFolders(const std::filesystem::path& root)
        : items(root / "proto" / "items"), misc(root / "proto" / "misc"), messages(root / "text" / "english" / "game")
    {
        for (const auto& folder : {items, misc, messages})
            std::filesystem::create_directories(folder);
    }
};

// An item every check of check passes: number is its PID, its list line and
// its name's number / 100; no ammunition, projectile or power PID.
// An item that every check passes: number is its PID, its list line and its name's number / 100.
inline ProtoBuilder ValidItem(int subtype, int number)
{
    static const int sizes[] = {129, 65, 125, 122, 81, 69, 61};
    ProtoBuilder item(sizes[subtype]);
    item.Set(0, 2, 0).PidNumber(number).TextId(number * 100).Set(8, 4, number).Set(32, 4, subtype);
    item.Set(52, 4, 0x07000000 | number);
    if (subtype == 3)
        item.Set(81, 4, -1).Set(113, 4, -1);
    if (subtype == 5)
        item.Set(57, 4, -1);
    return item;
}

} // namespace quarnel::test::cli
