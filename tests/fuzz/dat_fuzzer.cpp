// libFuzzer target for the DAT archives of both games: each input is written
// as an archive file, opened (the format told from the content), and every
// entry read and extracted into a scratch folder. The input is also decoded
// as an LZSS stream, a chain of chunks and a zlib stream. Archive errors are
// expected; anything else (a sanitizer report, another exception, a hang, a
// huge allocation, a file beside the target folder) is a finding.
#include "gamedata/Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/Extraction.h"
#include "gamedata/GamePath.h"
#include "FuzzScratch.h"
#include "platform/Errors.h"
#include "platform/WriteRefusal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

quarnel::fuzz::FuzzScratch& TheScratch()
{
    static quarnel::fuzz::FuzzScratch scratch("quarnel-dat-fuzz-", "input.dat");
    return scratch;
}

void DecodeAlone(const std::uint8_t* data, std::size_t size)
{
    static std::vector<std::uint8_t> out(1 << 16);
    std::size_t produced = 0;
    quarnel::DecodeLzss(data, size, out.data(), out.size(), produced);
    if (produced > out.size())
        std::abort();
    quarnel::DecodeLzssChunks(data, size, out.data(), out.size());
    quarnel::DecodeZlib(data, size, out.data(), size % out.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeAlone(data, size);
    quarnel::fuzz::FuzzScratch& s = TheScratch();
    {
        std::ofstream file(s.input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::unique_ptr<quarnel::Archive> archive;
    try {
        archive = quarnel::Archive::Open(s.input);
    } catch (const quarnel::ArchiveError&) {
        return 0;
    }
    for (std::size_t i = 0; i < archive->Count() && i < 256; ++i) {
        const quarnel::ArchiveEntry entry = archive->Entry(i);
        // A lookup of an entry's path finds an entry of that path (of several,
        // the one the game's search lands on).
        const auto found = archive->Find(entry.path);
        if (found && quarnel::GamePathKey(archive->Entry(*found).path) != quarnel::GamePathKey(entry.path))
            std::abort();
        try {
            const std::vector<std::uint8_t> bytes = archive->Read(i);
            if (bytes.size() != entry.unpackedSize)
                std::abort();
            quarnel::ExtractTo(s.out, entry.path, bytes);
        } catch (const quarnel::ArchiveError&) {
        } catch (const quarnel::IoError&) {
        } catch (const quarnel::WriteRefusedError&) {
            // a file of the archive in the way of another's folder
        }
    }
    archive.reset();

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(s.root, ec))
        if (entry.path() != s.input && entry.path() != s.out)
            std::abort(); // something was written beside the target folder
    for (const auto& entry : fs::directory_iterator(s.out, ec))
        fs::remove_all(entry.path(), ec);
    return 0;
}
