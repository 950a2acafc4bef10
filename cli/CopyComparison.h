#pragma once
// Whether the winning copies of one path in two trees hold equal bytes,
// reading no more than it must: copies of different sizes differ; an entry
// at the same place of one archive file, or of two archive files that hold
// the same bytes (a copy: compared once, whole), is equal without reading
// it; two archive entries of one method whose packed bytes agree are equal
// without unpacking them. Any other pair is read whole and compared, so that a file
// packed differently but holding the same bytes is still equal.
#include "gamedata/ArchiveFile.h"
#include "gamedata/ArchiveLayer.h"
#include "gamedata/GameTree.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quarnel::cli {

class CopyComparison {
public:
    // ArchiveError, IoError or a refusal when a copy cannot be read.
    bool SameBytes(const Holding& a, const Holding& b);

private:
    // Equal or different when the archive entries tell without unpacking; nothing when they cannot.
    std::optional<bool> CompareEntries(const ArchiveLayer& a, std::string_view pathA, const ArchiveLayer& b,
                                       std::string_view pathB);
    // Whether the two archive files are one file, or hold the same bytes.
    bool SameArchiveBytes(const ArchiveLayer& a, const ArchiveLayer& b);
    // The archive file read in windows of many entries where reads follow
    // one another through the file (the entries of an archive mostly lie in
    // the order of their paths, the order compared in); else each read alone.
    struct PackedReader {
        explicit PackedReader(ArchiveFile opened) : file(std::move(opened)) {}
        ArchiveFile file;
        std::uint64_t start = 0;
        std::vector<std::uint8_t> window;
        // The size bytes at offset; valid until the next call. ArchiveError when outside the file.
        const std::uint8_t* Bytes(std::uint64_t offset, std::size_t size);
    };
    PackedReader& ReaderOf(const ArchiveLayer& layer);

    std::map<std::pair<const Layer*, const Layer*>, bool> sameBytes_;
    std::map<const Layer*, std::unique_ptr<PackedReader>> readers_;
};

} // namespace quarnel::cli
