// libFuzzer target for the ZIP reader: each input is written as an archive
// file, opened, and every member extracted into a scratch folder. Archive
// errors and member failures are expected; anything else (a sanitizer
// report, another exception, a hang, a huge allocation) is a finding.
#include "platform/Errors.h"
#include "preview/AbUnZipper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path root;
    fs::path archive;
    fs::path out;

    Scratch()
    {
        fs::path base = fs::temp_directory_path();
        if (const char* dir = std::getenv("QUARNEL_FUZZ_DIR"))
            base = dir;
        else if (access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        std::string pattern = (base / "quarnel-zip-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        root = pattern;
        archive = root / "input.zip";
        out = root / "out";
        fs::create_directories(out);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Scratch& s = TheScratch();
    {
        std::ofstream file(s.archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    quarnel::TAbUnZipper zip;
    zip.OnProcessItemFailure = [](const quarnel::ZipItem&, const std::string&) {};
    try {
        zip.SetFileName(s.archive.string());
    } catch (const quarnel::ArchiveError&) {
        return 0;
    }
    zip.SetBaseDirectory(s.out.string());
    zip.ExtractFiles("*");
    zip.ExtractFiles(" gif_critters.lst ; pictures/?*-2.GIF;*/*/*");
    zip.SetFileName("");

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(s.out, ec)) {
        if (entry.path().parent_path() != s.out)
            std::abort(); // a member escaped the target folder
        fs::remove_all(entry.path(), ec);
    }
    for (const auto& entry : fs::directory_iterator(s.root, ec))
        if (entry.path() != s.archive && entry.path() != s.out)
            std::abort(); // something was written beside the target folder
    return 0;
}
