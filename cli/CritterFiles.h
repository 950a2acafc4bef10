#pragma once
// The files a command works on and the game each belongs to.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::cli {

// The files named by the arguments, in argument order: a folder stands for
// every *.pro in it (any case of the extension), in name order; anything
// else is taken as a file name. A file met twice is taken once. CliError
// when nothing is left.
std::vector<std::filesystem::path> CritterFiles(const std::vector<std::string>& arguments);

// "fo1" -> false, "fo2" -> true, none -> nullopt (CLI11 checks the spelling).
std::optional<bool> ChosenSecondGame(const std::string& option);

// The game whose rules and kill types apply to a file: the chosen one; else
// the name of the folder it lies in (FO1 or FO2, any case); else its size
// (416 bytes: the second game).
bool IsSecondGameFile(const std::filesystem::path& file, std::size_t recordSize, std::optional<bool> chosen);

// The same for a whole folder: the chosen game, else the folder's name, else nullopt.
std::optional<bool> GameOfFolder(const std::filesystem::path& folder, std::optional<bool> chosen);

} // namespace quarnel::cli
