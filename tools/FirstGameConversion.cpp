#include "tools/FirstGameConversion.h"

#include "platform/Errors.h"
#include "platform/FileHandle.h"
#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {

const char* const kConversionStartMessage =
    "Start conversion FO1 *.pro files to FO2 size. After clicking \"OK\" wait until the process is completed!";
const char* const kConversionEndMessage = "FO1 *.pro files converted to FO2 size!";

namespace {

constexpr long kFirstGameSize = 412;
constexpr std::size_t kPaddingSize = 4; // 416 - 412
constexpr int kReadBeyondEnd = 100;

long SizeOf(std::FILE* f)
{
    errno = 0;
    if (std::fseek(f, 0, SEEK_END) != 0)
        ThrowIoErrorFromErrno();
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        ThrowIoErrorFromErrno();
    return size;
}

void WriteAll(std::FILE* f, const void* bytes, std::size_t count)
{
    errno = 0;
    if (std::fwrite(bytes, 1, count, f) != count)
        ThrowIoErrorFromErrno();
}

// Removes the scratch file when a conversion step fails after creating it.
class ScratchFile {
public:
    explicit ScratchFile(fs::path path) : path_(std::move(path)) {}
    ~ScratchFile()
    {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const fs::path& path() const { return path_; }
    void Moved() { path_.clear(); }

private:
    fs::path path_;
};

void CreateTargetFolder(const fs::path& target)
{
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec)
        throw IoError(IoCodeFromErrorCode(ec));
}

// Converts one source file; returns false when it is not a first-game file.
bool ConvertFile(const fs::path& source, const fs::path& target)
{
    FileHandle in = OpenFileHandle(source, "r+b");
    if (SizeOf(in.get()) != kFirstGameSize) {
        CloseChecked(std::move(in));
        return false;
    }

    // The scratch file lives in the target folder: on the same volume as the
    // copy, and never among the folder's prototypes.
    CreateTargetFolder(target);
    ScratchFile scratch(target / "temp_file");
    // A fresh file: a link or a hard link planted as temp_file is never written through.
    errno = 0;
    FileHandle out(CreateFreshFile(scratch.path()));
    if (!out)
        ThrowIoErrorFromErrno();

    unsigned char bytes[kFirstGameSize];
    errno = 0;
    if (std::fread(bytes, 1, sizeof bytes, in.get()) != sizeof bytes) {
        if (std::ferror(in.get()))
            ThrowIoErrorFromErrno();
        throw IoError(kReadBeyondEnd);
    }
    WriteAll(out.get(), bytes, sizeof bytes);
    CloseChecked(std::move(in));
    const unsigned char padding[kPaddingSize] = {};
    WriteAll(out.get(), padding, sizeof padding);
    CloseChecked(std::move(out));

    MoveFileNoReplace(scratch.path(), target / source.filename());
    scratch.Moved();
    return true;
}

} // namespace

void ConvertFirstGameFiles(const fs::path& gameFolder, UserDialogs& dialogs)
{
    dialogs.ShowMessage(kConversionStartMessage);
    const fs::path target = gameFolder / "converted";
    for (const std::string& name : ListFolderFiles(gameFolder, ".pro")) {
        const fs::path source = gameFolder / PathFromUtf8(name);
        // Prototype files are kept read-only; opening for writing needs it cleared.
        SetArchiveOnly(source);
        if (ConvertFile(source, target))
            SetReadOnlyOnly(source);
    }
    dialogs.ShowMessage(kConversionEndMessage);
}

} // namespace quarnel
