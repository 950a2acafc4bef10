// libFuzzer target for writing archives: the input round trips through the
// LZSS encoder (one stream, and the chunked form with the input repeated
// past a chunk's size), and, cut into files, through an archive of each game
// written by the packers and read back by Archive. Any difference, any
// exception and any sanitizer report is a finding.
#include "gamedata/Archive.h"
#include "gamedata/ArchivePacker.h"
#include "gamedata/Decompressors.h"
#include "gamedata/LzssEncoder.h"
#include "FuzzScratch.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

quarnel::fuzz::FuzzScratch& TheScratch()
{
    static quarnel::fuzz::FuzzScratch scratch("quarnel-pack-fuzz-", "packed.dat");
    return scratch;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void LzssRoundTrip(const Bytes& in)
{
    Bytes stream;
    quarnel::EncodeLzss(in.data(), in.size(), stream);
    Bytes out(in.size());
    Require(quarnel::DecodeLzssExact(stream.data(), stream.size(), out.data(), out.size()) ==
            quarnel::DecodeStatus::Ok);
    Require(out == in);
    const Bytes chunks = quarnel::EncodeLzssChunks(in.data(), in.size());
    std::fill(out.begin(), out.end(), 0);
    Require(quarnel::DecodeLzssChunks(chunks.data(), chunks.size(), out.data(), out.size()) ==
            quarnel::DecodeStatus::Ok);
    Require(out == in);
}

// The input cut at each 0xFF byte into at most 16 files, named by their
// number in a few folders; the first byte's bits ask for files to be stored.
void ArchiveRoundTrip(const std::uint8_t* data, std::size_t size, quarnel::ArchiveFormat format)
{
    const unsigned storeBits = size > 0 ? data[0] : 0;
    std::vector<std::pair<std::string, Bytes>> files;
    Bytes current;
    for (std::size_t i = 1; i <= size; ++i) {
        if (i == size || (data[i] == 0xFF && files.size() < 15)) {
            const std::size_t n = files.size();
            files.push_back(
                {(n % 3 ? "dir" + std::to_string(n % 3) + "/" : std::string()) + "f" + std::to_string(n), current});
            current.clear();
        } else {
            current.push_back(data[i]);
        }
    }
    const auto packer = quarnel::ArchivePacker::For(format);
    for (std::size_t n = 0; n < files.size(); ++n) {
        Require(!packer->Refusal(files[n].first));
        packer->Add(files[n].first, files[n].second, (storeBits >> (n % 8) & 1) != 0);
    }
    const Bytes archiveBytes = packer->Finish();
    quarnel::fuzz::FuzzScratch& s = TheScratch();
    {
        std::ofstream file(s.input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(archiveBytes.data()),
                   static_cast<std::streamsize>(archiveBytes.size()));
    }
    const auto archive = quarnel::Archive::Open(s.input);
    Require(archive->Format() == format);
    Require(archive->Count() == files.size());
    for (const auto& [path, bytes] : files) {
        const auto found = archive->Find(path);
        Require(found.has_value());
        Require(archive->Read(*found) == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, data + size);
    LzssRoundTrip(in);
    // Repeated past one chunk: the second chunk starts with a fresh ring.
    if (size > 0 && size < 4096 && data[0] % 4 == 0) {
        Bytes repeated;
        while (repeated.size() <= quarnel::kLzssChunkSize + 18)
            repeated.insert(repeated.end(), in.begin(), in.end());
        LzssRoundTrip(repeated);
    }
    // A name the archive may refuse is never a crash.
    const auto dat1 = quarnel::ArchivePacker::For(quarnel::ArchiveFormat::Dat1);
    (void)dat1->Refusal(std::string(in.begin(), in.end()));
    ArchiveRoundTrip(data, size, quarnel::ArchiveFormat::Dat2);
    ArchiveRoundTrip(data, size, quarnel::ArchiveFormat::Dat1);
    return 0;
}
