// libFuzzer target for the ZIP reader: each input is written as an archive
// file, opened, and every member extracted into a scratch folder. Archive
// errors and member failures are expected; anything else (a sanitizer
// report, another exception, a hang, a huge allocation) is a finding.
#include "FuzzScratch.h"
#include "platform/Errors.h"
#include "preview/AbUnZipper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

quarnel::fuzz::FuzzScratch& TheScratch()
{
    static quarnel::fuzz::FuzzScratch scratch("quarnel-zip-fuzz-", "input.zip");
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quarnel::fuzz::FuzzScratch& s = TheScratch();
    {
        std::ofstream file(s.input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    quarnel::TAbUnZipper zip;
    zip.OnProcessItemFailure = [](const quarnel::ZipItem&, const std::string&) {};
    try {
        zip.SetFileName(s.input.string());
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
        if (entry.path() != s.input && entry.path() != s.out)
            std::abort(); // something was written beside the target folder
    return 0;
}
