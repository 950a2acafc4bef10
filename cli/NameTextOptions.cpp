// The options new and rename share: the texts and how they are written.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace quarnel::cli {

void AddNameTextOptions(CLI::App& command, NameTextOptions& texts, bool nameRequired)
{
    auto* name = command.add_option_function<std::string>(
        "--name", [&texts](const std::string& text) { texts.name = text; },
        "the name (UTF-8; written in the message file's code page)");
    if (nameRequired)
        name->required();
    command.add_option_function<std::string>(
        "--description", [&texts](const std::string& text) { texts.description = text; },
        "the description (UTF-8; written in the message file's code page)");
    command.add_flag("--force", texts.force,
                     "with --data: write into the override folder although an archive the game "
                     "reads first holds the file");
    AddEncodingOption(command, texts.encoding);
}

} // namespace quarnel::cli
