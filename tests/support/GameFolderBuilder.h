#pragma once
// Builds a game folder for tests and benchmarks: count prototype files named
// 00000001.pro, 00000002.pro, ... and a pro_crit.ini (CRLF lines, section
// Description) that names each of them under the key file number x 100.
#include <filesystem>
#include <string>

namespace quarnel::test {

struct GameFolderOptions {
    int firstNumber = 1;            // number of the first file
    std::string extension = ".pro"; // ".PRO" for first-game style names
    bool writeNameTable = true;
    int unnamedEvery = 0; // when > 0, every n-th file gets no line in the table
};

// The name the table gives file number n.
std::string GeneratedCritterName(int fileNumber);

// "00000123" + extension.
std::string GeneratedFileName(int fileNumber, const std::string& extension = ".pro");

// Writes the files into folder (created when missing). Each record comes from
// ProtoBuilder(recordSize) with PID number n, text ID n x 100 and FID index n mod 6.
void BuildGameFolder(const std::filesystem::path& folder, int count, int recordSize,
                     const GameFolderOptions& options = {});

} // namespace quarnel::test
