// Times quarnel-cli's show, export and set --rules over a generated folder of
// 10,000 critters, and show and set over 10,000 item prototypes (weapons),
// against cat of the same files, each run as a program from the shell.
// Usage: bench_cli [count] [folder]
#include "BenchTiming.h"
#include "GameFolderBuilder.h"
#include "ProtoBuilder.h"

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
    using quarnel::bench::Command;
    const std::vector<Command> commands = {
        {"cat", "cat " + folder + "/*.pro >/dev/null"},
        {"show", cli + " show " + folder + " >/dev/null"},
        {"export", cli + " export " + folder + " >/dev/null"},
        {"set --rules", cli + " set --rules extra.ST+=1 -- " + folder},
    };
    // Weapons (122 bytes each) in proto/items of a tree.
    const fs::path items = root / "proto" / "items";
    fs::create_directories(items);
    for (int i = 1; i <= count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%08d.pro", i);
        quarnel::test::ProtoBuilder(122).Set(0, 2, 0).PidNumber(i).Set(32, 4, 3).Set(48, 4, i).WriteTo(items / name);
    }
    std::printf("%d weapons of 122 bytes in %s\n", count, items.c_str());
    const std::string itemFolder = "'" + items.string() + "'";
    const std::vector<Command> itemCommands = {
        {"cat", "cat " + itemFolder + "/*.pro >/dev/null"},
        {"show", cli + " show " + itemFolder + " >/dev/null"},
        {"set", cli + " set cost+=1 weapon.max_ammo=12 -- " + itemFolder},
    };

    int status = quarnel::bench::RunAgainstFirst("critters", commands);
    status |= quarnel::bench::RunAgainstFirst("items", itemCommands);
    fs::remove_all(root);
    return status;
}
