// dat pack on about 100 MB: the real test files copied many times over,
// each copy varied, plus generated message text, picture-like data and
// random bytes that do not compress. Timed and measured:
//   DAT2 against zlib at level 9 of the same files (in process, each file
//   stored when that is not smaller, as the archive does) and gzip -9;
//   DAT1 against a plain LZSS reference: greedy, the longest match over the
//   whole window, no lazy matching, the same chunks.
// Every archive is read back through Archive and compared byte for byte.
#include "BenchTiming.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"
#include "gamedata/Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/FolderPacking.h"
#include "gamedata/LzssEncoder.h"

#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::size_t kTarget = std::size_t{100} << 20;

struct Random {
    std::uint32_t seed;
    std::uint32_t operator()() { return (seed = seed * 1103515245u + 12345u) >> 8; }
};

std::string Word(Random& random)
{
    static const char* syllables[] = {"ka", "lo", "ri",  "the", "an",  "ver", "mu", "tan", "gor", "ish",
                                      "el", "ra", "dun", "po",  "sel", "ar",  "in", "ok",  "be",  "wa"};
    std::string word;
    for (std::uint32_t n = 1 + random() % 3; n > 0; --n)
        word += syllables[random() % 20];
    return word;
}

// A message file: "{N}{}{sentence}" lines from a vocabulary of a few hundred words.
Bytes MessageText(Random& random, std::size_t size)
{
    static std::vector<std::string> vocabulary;
    if (vocabulary.empty())
        for (int i = 0; i < 600; ++i)
            vocabulary.push_back(Word(random));
    std::string text;
    for (int line = 100; text.size() < size; ++line) {
        text += "{" + std::to_string(line) + "}{}{";
        for (std::uint32_t n = 4 + random() % 14; n > 0; --n)
            text += vocabulary[random() % 600 % (1 + random() % 600)] + (n > 1 ? " " : ".");
        text += "}\r\n";
    }
    return Bytes(text.begin(), text.end());
}

// Picture-like bytes: runs of one palette index with noise, rows repeating in part.
Bytes PictureData(Random& random, std::size_t size)
{
    Bytes bytes;
    while (bytes.size() < size) {
        const std::uint8_t colour = static_cast<std::uint8_t>(random() % 64);
        for (std::uint32_t run = 1 + random() % 40; run > 0; --run)
            bytes.push_back(random() % 8 == 0 ? static_cast<std::uint8_t>(random()) : colour);
        if (bytes.size() > 400 && random() % 4 == 0) // a part of the row above again
            bytes.insert(bytes.end(), bytes.end() - 400, bytes.end() - 400 + 1 + random() % 60);
    }
    bytes.resize(size);
    return bytes;
}

Bytes RandomBytes(Random& random, std::size_t size)
{
    Bytes bytes(size);
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Writes the tree; returns the bytes written.
std::uint64_t BuildTree(const fs::path& root)
{
    std::uint64_t total = 0;
    Random random{2026};
    auto put = [&](const fs::path& file, const Bytes& bytes) {
        fs::create_directories(file.parent_path());
        WriteAllBytes(file, bytes);
        total += bytes.size();
    };
    const fs::path real = DataFolder(QUARNEL_SHARED_TESTDATA);
    std::vector<std::pair<fs::path, Bytes>> realFiles;
    if (IsPresent(real))
        for (const auto& entry : fs::recursive_directory_iterator(real))
            if (entry.is_regular_file())
                realFiles.emplace_back(entry.path().lexically_relative(real), ReadAllBytes(entry.path()));
    // Half of it from real files: copy k changes every 509th byte.
    for (int copy = 0; !realFiles.empty() && total < kTarget / 2; ++copy)
        for (const auto& [path, bytes] : realFiles) {
            Bytes varied = bytes;
            for (std::size_t i = copy % 509; i < varied.size(); i += 509)
                varied[i] = static_cast<std::uint8_t>(varied[i] + copy);
            put(root / ("copy" + std::to_string(copy)) / path, varied);
        }
    for (int i = 0; total < kTarget * 7 / 10; ++i)
        put(root / "text" / ("m" + std::to_string(i) + ".msg"), MessageText(random, 2000 + random() % 200000));
    for (int i = 0; total < kTarget * 92 / 100; ++i)
        put(root / "art" / ("p" + std::to_string(i) + ".frm"), PictureData(random, 5000 + random() % 400000));
    for (int i = 0; total < kTarget; ++i)
        put(root / "sound" / ("s" + std::to_string(i) + ".acm"), RandomBytes(random, 65536 + random() % 1000000));
    return total;
}

// The plain LZSS reference: at each position the longest match in the
// whole window (every earlier position of the same three bytes), taken at
// once.
void GreedyLzss(const std::uint8_t* in, std::size_t size, Bytes& out)
{
    std::vector<std::int64_t> head(1 << 16, -1), previous(size, -1);
    auto hash = [&](std::size_t i) { return (in[i] << 8 ^ in[i + 1] << 4 ^ in[i + 2]) & 0xFFFF; };
    std::size_t flagAt = 0;
    int bit = 8;
    auto flag = [&](bool literal) {
        if (bit == 8)
            flagAt = out.size(), out.push_back(0), bit = 0;
        if (literal)
            out[flagAt] |= static_cast<std::uint8_t>(1 << bit);
        ++bit;
    };
    auto insert = [&](std::size_t i) {
        if (i + 3 <= size)
            previous[i] = head[hash(i)], head[hash(i)] = static_cast<std::int64_t>(i);
    };
    for (std::size_t pos = 0; pos < size;) {
        std::size_t bestLength = 0, bestFrom = 0;
        if (pos + 3 <= size)
            for (std::int64_t c = head[hash(pos)]; c >= 0 && pos - c <= 4078; c = previous[c]) {
                std::size_t length = 0;
                while (length < 18 && pos + length < size && in[c + length] == in[pos + length])
                    ++length;
                if (length > bestLength)
                    bestLength = length, bestFrom = static_cast<std::size_t>(c);
                if (length == 18)
                    break;
            }
        if (bestLength < 3) {
            flag(true);
            out.push_back(in[pos]);
            insert(pos++);
            continue;
        }
        flag(false);
        const std::size_t ring = (4078 + bestFrom) & 0xFFF;
        out.push_back(static_cast<std::uint8_t>(ring));
        out.push_back(static_cast<std::uint8_t>(((ring >> 4) & 0xF0) | (bestLength - 3)));
        for (std::size_t k = 0; k < bestLength; ++k)
            insert(pos + k);
        pos += bestLength;
    }
}

// The reference's size of a file in the archive's form: chunks, or stored when not smaller.
std::size_t ReferenceDat1Size(const Bytes& bytes)
{
    Bytes packed;
    for (std::size_t start = 0; start < bytes.size(); start += kLzssChunkSize) {
        const std::size_t n = std::min(kLzssChunkSize, bytes.size() - start);
        Bytes stream;
        GreedyLzss(bytes.data() + start, n, stream);
        Bytes check(n);
        if (DecodeLzssExact(stream.data(), stream.size(), check.data(), n) != DecodeStatus::Ok ||
            !std::equal(check.begin(), check.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start)))
            std::abort(); // the reference itself must be right
        packed.insert(packed.end(), 2, 0);
        packed.insert(packed.end(), stream.begin(), stream.end());
    }
    return std::min(packed.size(), bytes.size());
}

std::size_t ZlibSize(const Bytes& bytes, int level)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    Bytes out(size);
    compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), level);
    return std::min<std::size_t>(size, bytes.size());
}

double Rate(std::uint64_t bytes, double ms) { return static_cast<double>(bytes) / 1e6 / (ms / 1000); }

// The processor time of this process in milliseconds: the machine may be shared.
double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Every file of the tree read back from the archive, byte for byte; data
// receives the bytes of the entries' data (the archive without its directory).
bool ReadsBack(const fs::path& archiveFile, const FolderPack& pack, bool upperCase, std::uint64_t& data)
{
    const auto archive = Archive::Open(archiveFile);
    data = 0;
    for (std::size_t i = 0; i < archive->Count(); ++i)
        data += archive->Entry(i).packedSize;
    if (archive->Count() != pack.files.size())
        return false;
    for (const FolderPack::File& file : pack.files) {
        std::string path = file.path;
        if (upperCase)
            for (char& c : path)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto index = archive->Find(path);
        if (!index || archive->Entry(*index).path != path || archive->Read(*index) != ReadAllBytes(file.source))
            return false;
    }
    return true;
}

} // namespace

int main()
{
    ScratchFolder scratch("quarnel-bench-pack-");
    const fs::path tree = scratch.path / "tree";
    const std::uint64_t total = BuildTree(tree);
    const auto dat2Packer = ArchivePacker::For(ArchiveFormat::Dat2);
    const FolderPack pack = ListFolderPack(tree, *dat2Packer, {});
    std::printf("tree: %zu files, %.1f MB\n", pack.files.size(), static_cast<double>(total) / 1e6);
    if (!pack.refused.empty())
        return 1;

    int status = 0;
    for (const ArchiveFormat format : {ArchiveFormat::Dat2, ArchiveFormat::Dat1}) {
        const bool dat1 = format == ArchiveFormat::Dat1;
        const fs::path target = scratch.path / (dat1 ? "pack1.dat" : "pack2.dat");
        PackSummary summary;
        const double cpuStart = CpuMs();
        const double ms = quarnel::bench::Best(1, [&] {
            fs::remove(target);
            const auto packer = ArchivePacker::For(format);
            summary = WriteFolderPack(pack, *packer, {}, target);
        });
        const double cpuMs = CpuMs() - cpuStart;
        std::printf("%s pack: %.0f ms, %.1f MB/s (processor time %.0f ms, %.1f MB/s), archive %llu bytes (%.2f %% of "
                    "the files), %zu of %zu compressed\n",
                    dat1 ? "DAT1" : "DAT2", ms, Rate(total, ms), cpuMs, Rate(total, cpuMs),
                    static_cast<unsigned long long>(summary.archiveBytes),
                    100.0 * static_cast<double>(summary.archiveBytes) / static_cast<double>(total), summary.compressed,
                    summary.files);
        std::uint64_t data = 0;
        const bool back = ReadsBack(target, pack, dat1, data);
        std::printf("%s data %llu bytes; read back byte for byte: %s\n", dat1 ? "DAT1" : "DAT2",
                    static_cast<unsigned long long>(data), back ? "yes" : "NO");
        status |= back ? 0 : 1;
    }

    std::vector<Bytes> files;
    for (const FolderPack::File& file : pack.files)
        files.push_back(ReadAllBytes(file.source));
    // zlib's levels over the same files, each stored when not smaller.
    for (const int level : {9, 8, 7, 6}) {
        std::uint64_t size = 0;
        const double cpuStart = CpuMs();
        for (const Bytes& bytes : files)
            size += ZlibSize(bytes, level);
        const double cpuMs = CpuMs() - cpuStart;
        std::printf("zlib level %d per file: processor time %.0f ms, %.1f MB/s, data %llu bytes\n", level, cpuMs,
                    Rate(total, cpuMs), static_cast<unsigned long long>(size));
    }
    {
        std::uint64_t size = 0;
        const double cpuStart = CpuMs();
        for (const Bytes& bytes : files)
            size += std::min(bytes.size(), EncodeLzssChunks(bytes.data(), bytes.size()).size());
        const double cpuMs = CpuMs() - cpuStart;
        std::printf("LZSS encoder alone: processor time %.0f ms, %.1f MB/s, data %llu bytes\n", cpuMs,
                    Rate(total, cpuMs), static_cast<unsigned long long>(size));
    }
    const std::string gzip = "cd '" + tree.string() + "' && find . -type f -print0 | xargs -0 gzip -9 -c | wc -c";
    std::printf("gzip -9 -c of every file, bytes: ");
    std::fflush(stdout);
    const double gzipMs = quarnel::bench::Best(1, [&] { std::system(gzip.c_str()); });
    std::printf("gzip -9: %.0f ms wall, %.1f MB/s\n", gzipMs, Rate(total, gzipMs));
    std::uint64_t referenceSize = 0;
    const double cpuStart = CpuMs();
    for (const Bytes& bytes : files)
        referenceSize += ReferenceDat1Size(bytes);
    const double referenceMs = CpuMs() - cpuStart;
    std::printf("greedy LZSS reference: processor time %.0f ms, %.1f MB/s, data %llu bytes\n", referenceMs,
                Rate(total, referenceMs), static_cast<unsigned long long>(referenceSize));
    return status;
}
