#include "GameFolderBuilder.h"

#include "ProtoBuilder.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace quarnel::test {

std::string GeneratedCritterName(int fileNumber)
{
    static const std::array<const char*, 8> kWords = {"Rat",       "Mole Rat", "Wasteland Dog", "Raider Scout",
                                                      "Scavenger", "Gecko",    "Guard",         "Trader"};
    return std::string(kWords[static_cast<std::size_t>(fileNumber) % kWords.size()]) + " " + std::to_string(fileNumber);
}

std::string GeneratedFileName(int fileNumber, const std::string& extension)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08d", fileNumber);
    return digits + extension;
}

void BuildGameFolder(const std::filesystem::path& folder, int count, int recordSize, const GameFolderOptions& options)
{
    std::filesystem::create_directories(folder);
    std::string table = "[Description]\r\n";
    for (int i = 0; i < count; ++i) {
        const int number = options.firstNumber + i;
        ProtoBuilder(recordSize)
            .PidNumber(number & 0xFFFF)
            .TextId(number * 100)
            .FidIndex(number % 6)
            .WriteTo(folder / GeneratedFileName(number, options.extension));
        if (options.unnamedEvery > 0 && (i + 1) % options.unnamedEvery == 0)
            continue;
        table += std::to_string(number * 100) + "=" + GeneratedCritterName(number) + "\r\n";
    }
    if (options.writeNameTable)
        WriteTextFile(folder / "pro_crit.ini", table);
}

} // namespace quarnel::test
