#pragma once
// The first game's DAT archive (big-endian). A header (directory count, an
// allocation hint, 0, a time stamp), one name per directory (a length byte
// and its characters; the root is "."), then per directory its file count,
// three numbers (hint, 16, time stamp) and per file: a length byte and the
// name, attributes, data offset, unpacked size, packed size. Attributes &
// 0xF0: 0x20 stored, 0x10 and 0 one LZSS stream, 0x40 a chain of chunks.
#include "gamedata/Archive.h"

namespace quarnel {

class Dat1Archive : public Archive {
public:
    // Whether the header is that of a first-game archive: a directory count
    // that the file can hold, and 0 as its third number.
    static bool Recognises(ArchiveFile& file);
    explicit Dat1Archive(ArchiveFile file);

protected:
    // A file is found in two steps: the folder among the directory names (a
    // path without a folder: the first directory), then the name among that
    // directory's files, each list searched by halving (HalvingSearch).
    std::optional<std::size_t> DirectorySearch(std::string_view path) const override;

private:
    struct Folder {
        std::string name;      // as the directory names it: "." the root, "\\" between parts
        std::size_t first = 0; // its first entry
        std::size_t count = 0;
    };
    std::vector<Folder> folders_;
};

} // namespace quarnel
