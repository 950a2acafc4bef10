#include "library/GameFolderScan.h"

#include "library/CritterNameFile.h"
#include "library/NameTable.h"
#include "platform/TextLines.h"
#include "platform/Errors.h"
#include "platform/FileHandle.h"
#include "platform/FolderListing.h"
#include "platform/IntegerText.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

namespace quarnel {
namespace {

constexpr int kFileNumberLength = 8;

// A scratch file open for writing. Closed by the destructor when a scan is
// abandoned (what was written stays), by Close() with its errors reported.
class ScratchFile {
public:
    explicit ScratchFile(const std::filesystem::path& path) : file_(OpenFileHandle(path, "wb")) {}

    void WriteLine(const std::string& text)
    {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size() ||
            std::fputs("\r\n", file_.get()) == EOF)
            ThrowIoErrorFromErrno();
    }

    void Close() { CloseChecked(std::move(file_)); }

private:
    FileHandle file_;
};

// The first eight characters; a character of a UTF-8 name may span several bytes.
std::string FirstCharacters(const std::string& text, int count)
{
    std::size_t end = 0;
    for (int n = 0; n < count && end < text.size(); ++n) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

} // namespace

std::int32_t FileNumberOf(const std::string& fileName)
{
    return StrToInt(FirstCharacters(fileName, kFileNumberLength));
}

std::int32_t TextIdOfFileNumber(std::int32_t fileNumber) { return Wrap32(std::int64_t{fileNumber} * 100); }

std::int32_t PidNumberOfFileNumber(std::int32_t fileNumber) { return Wrap32(std::int64_t{fileNumber} + 16777216); }

GameFolderScanResult ScanGameFolder(const std::filesystem::path& gameFolder, const std::filesystem::path& nameFile,
                                    const std::filesystem::path& tempFolder, NameEncoding chosen)
{
    std::error_code ec;
    std::filesystem::create_directories(tempFolder, ec);
    if (ec)
        throw IoError(IoCodeFromErrorCode(ec));

    ScratchFile names(tempFolder / kNamesFileName);
    ScratchFile numbers(tempFolder / kNumberFileName);
    GameFolderScanResult scan; // the table is read when the first file is looked up

    for (const std::string& fileName : ListFolderFiles(gameFolder, ".pro")) {
        const std::string key = IntToStr(TextIdOfFileNumber(FileNumberOf(fileName)));
        numbers.WriteLine(key);
        if (!scan.table) {
            CritterNames loaded = LoadCritterNames(nameFile, chosen);
            scan.table = std::move(loaded.table);
            scan.namesError = std::move(loaded.error);
            scan.encoding = loaded.encoding;
        }
        names.WriteLine(scan.table->Lookup(key));
        scan.files.push_back(fileName);
    }
    names.Close();
    numbers.Close();
    return scan;
}

ListingNames::ListingNames(const GameFolderScanResult& scan, std::vector<std::string> namesLines)
    : scan_(scan), lines_(std::move(namesLines))
{
    for (std::size_t i = 0; i < scan_.files.size(); ++i)
        lineOfFile_.emplace(scan_.files[i], i);
}

std::string ListingNames::NameOf(const std::string& fileName) const
{
    const auto line = lineOfFile_.find(fileName);
    if (line != lineOfFile_.end())
        return line->second < lines_.size() ? lines_[line->second] : std::string();
    if (!scan_.table)
        return std::string();
    return scan_.table->Lookup(IntToStr(TextIdOfFileNumber(FileNumberOf(fileName))));
}

std::vector<std::string> ReadNamesFile(const std::filesystem::path& tempFolder)
{
    return SplitLines(ReadFileBytes(tempFolder / kNamesFileName));
}

} // namespace quarnel
