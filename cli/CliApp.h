#pragma once
// The command line of quarnel-cli: the subcommands, their options and help
// (CLI11), run on the arguments after the program name.
#include <ostream>
#include <string>
#include <vector>

namespace quarnel::cli {

// Returns the exit status (see Commands.h). Arguments are UTF-8 text.
int RunCli(std::vector<std::string> arguments, std::ostream& out, std::ostream& err);

} // namespace quarnel::cli
