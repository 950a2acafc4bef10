#pragma once
// Which game's rules apply to a prototype: the one the user chose, else what
// the folder it lies in says (FO1, FO2), else the record's size.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quarnel {

// "fo1" -> false, "fo2" -> true, none -> nullopt (the command line checks the spelling).
std::optional<bool> ChosenSecondGame(const std::string& option);

// The game of a whole folder: the chosen one, else the folder's name (FO1,
// FO2, any case), else nullopt.
std::optional<bool> GameOfFolder(const std::filesystem::path& folder, std::optional<bool> chosen);

// The game of one file: the chosen one; else the folder it lies in; else its
// size (416 bytes: the second game).
bool IsSecondGameFile(const std::filesystem::path& file, std::size_t recordSize, std::optional<bool> chosen);

} // namespace quarnel
