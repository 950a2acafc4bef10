#pragma once
// Whether the winning copies of one path in two trees hold equal bytes,
// reading no more than it must: copies of different sizes differ; the same
// entry of one archive file (the same file on disk) is equal unread; two
// archive entries of one method whose packed bytes agree are equal without
// unpacking them. Any other pair is read whole and compared, so that a file
// packed differently but holding the same bytes is still equal.
#include "gamedata/ArchiveFile.h"
#include "gamedata/ArchiveLayer.h"
#include "gamedata/GameTree.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace quarnel::cli {

class CopyComparison {
public:
    // ArchiveError, IoError or a refusal when a copy cannot be read.
    bool SameBytes(const Holding& a, const Holding& b);

private:
    // Equal or different when the archive entries tell without unpacking; nothing when they cannot.
    std::optional<bool> CompareEntries(const ArchiveLayer& a, std::string_view pathA, const ArchiveLayer& b,
                                       std::string_view pathB);
    bool SameArchiveFile(const ArchiveLayer& a, const ArchiveLayer& b);
    ArchiveFile& PackedReader(const ArchiveLayer& layer);

    std::map<std::pair<const Layer*, const Layer*>, bool> sameFile_;
    std::map<const Layer*, std::unique_ptr<ArchiveFile>> readers_;
};

} // namespace quarnel::cli
