#pragma once
// The second game's DAT archive (little-endian). The last 8 bytes hold the
// tree size and the archive size (the file's size); the tree starts at file
// size - tree size - 8 with the file count (the tree size counts it). Each
// entry: a 32-bit name length, the name (backslashes, no terminator), a
// compressed byte (0 stored, else a zlib stream), unpacked size, packed size,
// data offset from the start of the archive.
#include "gamedata/Archive.h"

namespace quarnel {

class Dat2Archive : public Archive {
public:
    // Whether the trailer holds the file's own size.
    static bool Recognises(ArchiveFile& file);
    explicit Dat2Archive(ArchiveFile file);

protected:
    // The directory is one list sorted by path, searched by halving
    // (HalvingSearch) over the whole of it.
    std::optional<std::size_t> DirectorySearch(std::string_view path) const override;
};

} // namespace quarnel
