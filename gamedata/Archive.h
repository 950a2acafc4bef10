#pragma once
// A game archive (DAT1 of the first game, DAT2 of the second): its entries
// with path, sizes and storage method, a lookup by path without regard to
// case, and the bytes of one entry. Opening reads the directory only; an
// entry's bytes are read from the file when asked for. Each format is a
// class of its own that only parses its directory into this table.
#include "gamedata/ArchiveFile.h"
#include "gamedata/PathIndex.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

enum class ArchiveFormat { Dat1, Dat2 };

enum class StorageMethod : std::uint8_t { Stored, Lzss, LzssChunks, Zlib };

// "stored", "lzss", "lzss-chunks", "zlib".
const char* MethodName(StorageMethod method);

struct ArchiveEntry {
    std::string_view path; // "/" between folders, the archive's own case; lives as long as the archive
    std::uint32_t unpackedSize = 0;
    std::uint32_t packedSize = 0; // bytes the entry takes in the archive (a stored entry: its unpacked size)
    std::uint32_t offset = 0;     // of its data from the start of the archive
    StorageMethod method = StorageMethod::Stored;
};

class Archive {
public:
    // The largest entry read; larger ones are refused.
    static constexpr std::uint32_t kMaxUnpackedSize = 64u << 20;
    // The most that files taken out of one archive may unpack to, all told:
    // 64 times the archive's size, plus one entry of the largest size. No
    // honest archive comes near it; entries that share their data can claim
    // any total.
    static constexpr std::uint64_t kMaxUnpackRatio = 64;
    static bool UnpacksTooFar(std::uint64_t total, std::uint64_t archiveSize)
    {
        return total > kMaxUnpackRatio * archiveSize + kMaxUnpackedSize;
    }

    // Opens either format, told apart by the content, not the name, and reads
    // its directory. ArchiveError "<file>: <what is wrong>".
    static std::unique_ptr<Archive> Open(const std::filesystem::path& file);

    virtual ~Archive() = default;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    ArchiveFormat Format() const { return format_; }
    // The file's path as UTF-8, as the error messages name it.
    const std::string& Name() const { return file_.Name(); }
    // The archive file's size in bytes.
    std::uint64_t FileSize() const { return file_.Size(); }

    // Entries in directory order.
    std::size_t Count() const { return records_.size(); }
    ArchiveEntry Entry(std::size_t index) const;

    // The entry of a path ("/" or "\", any case). When the archive holds
    // the path more than once: the entry the game reads, found by the game's
    // own search of the directory (DirectorySearch); the first one when that
    // search misses the path (a directory out of order).
    std::optional<std::size_t> Find(std::string_view path) const;
    // Whether another entry has the same path (Find tells which one counts).
    bool IsRepeated(std::size_t index) const;

    // The entry's unpacked bytes. ArchiveError naming the archive and the
    // entry when its data lies outside the file, its unpacked size is above
    // kMaxUnpackedSize, or the packed data ends short, runs on or is damaged.
    std::vector<std::uint8_t> Read(std::size_t index) const;

protected:
    struct Record {
        std::uint32_t offset = 0;
        std::uint32_t unpackedSize = 0;
        std::uint32_t packedSize = 0;
        StorageMethod method = StorageMethod::Stored;
    };

    Archive(ArchiveFile file, ArchiveFormat format) : file_(std::move(file)), format_(format) {}

    // Room for count entries whose paths take pathBytes in all (a hint).
    void Reserve(std::size_t count, std::size_t pathBytes);
    // Adds an entry at folder\name (an empty folder: the top of the tree).
    void Add(std::string_view folder, std::string_view name, const Record& record);
    // Builds the lookup once every entry is added.
    void FinishIndex();
    // The entry that the game's search of the directory, in directory order,
    // lands on for a path; the games compare names as stricmp does
    // (DirectoryCompare). Nothing when it misses.
    virtual std::optional<std::size_t> DirectorySearch(std::string_view path) const = 0;
    // stricmp of the games: bytes compared with A to Z lowered, "/" taken as "\".
    static int DirectoryCompare(std::string_view a, std::string_view b);
    // A binary search of a sorted list of count names (nameAt(i)) for name:
    // the probe is the middle of low and high rounded down, a smaller name
    // moves high to the probe, a larger one low past it, and low = high is
    // compared last. Of equal names it finds the one it probes first; in a
    // list out of order it may miss a name that is there.
    template <typename NameAt>
    static std::optional<std::size_t> HalvingSearch(std::string_view name, std::size_t count, NameAt nameAt)
    {
        if (count == 0)
            return std::nullopt;
        std::size_t low = 0, high = count - 1;
        while (low < high) {
            const std::size_t probe = low + (high - low) / 2;
            const int order = DirectoryCompare(name, nameAt(probe));
            if (order == 0)
                return probe;
            if (order < 0)
                high = probe;
            else
                low = probe + 1;
        }
        if (DirectoryCompare(name, nameAt(low)) == 0)
            return low;
        return std::nullopt;
    }

    ArchiveFile& File() const { return file_; }

private:
    mutable ArchiveFile file_; // reads move the stream's position
    ArchiveFormat format_;
    std::vector<Record> records_;
    std::vector<KeySpan> spans_; // of each path in paths_
    std::string paths_;          // every path, "/" between folders
    PathIndex index_;
};

} // namespace quarnel
