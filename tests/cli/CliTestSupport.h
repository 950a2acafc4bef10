#pragma once
// quarnel-cli run in process, and the critters its tests build.
#include "cli/CliApp.h"
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

} // namespace quarnel::test::cli
