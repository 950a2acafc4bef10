// The options several commands take, so that each reads the same in every
// command's help.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <limits>

namespace quarnel::cli {

void AddDataOption(CLI::App& command, std::string& data)
{
    command.add_option("--data", data,
                       "a game's install or a mod's tree: the file arguments are paths inside it "
                       "(proto/critters/00000001.pro; a folder stands for every *.pro in it)");
}

void AddForceFlag(CLI::App& command, bool& force)
{
    command.add_flag("--force", force,
                     "with --data: write into the override folder although an archive the game "
                     "reads first holds the file");
}

void AddGameOption(CLI::App& command, std::string& game, const char* help)
{
    command.add_option("--game", game, help)->transform(CLI::IsMember({"fo1", "fo2"}, CLI::ignore_case));
}

void AddEncodingOption(CLI::App& command, std::string& encoding)
{
    command
        .add_option("--encoding", encoding,
                    "the code page of the name file (default: UTF-8 when the whole file is "
                    "valid UTF-8, else cp1252)")
        ->transform(CLI::IsMember({"cp1250", "cp1251", "cp1252", "utf-8"}, CLI::ignore_case));
}

void AddPictureOptions(CLI::App& command, PictureOptions& picture)
{
    command.add_option("--out", picture.out, "the PNG file to write (index 0 transparent)");
    command.add_option("--direction", picture.direction, "the direction, 0 to 5 (default 0)")->check(CLI::Range(0, 5));
    command.add_option("--frame", picture.frame, "the frame of the direction, from 0 (default 0)")
        ->check(CLI::Range(0, std::numeric_limits<int>::max()));
    command.add_flag("--sheet", picture.sheet, "every frame: a row per direction, a column per frame");
}

} // namespace quarnel::cli
