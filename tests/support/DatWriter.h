#pragma once
// Builds DAT archives of both games byte by byte for tests: entries of every
// storage method, LZSS streams assembled by hand, and directories whose
// counts, sizes and offsets lie.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::test {

using DatBytes = std::vector<std::uint8_t>;

// An LZSS stream of literals only (a flag byte 0xFF before every 8 bytes).
DatBytes LzssLiterals(const std::string& text);
// The chunk forms of the first game's archives: a stored chunk, and a chunk
// holding one LZSS stream.
DatBytes StoredChunk(const DatBytes& data);
DatBytes LzssChunk(const DatBytes& stream);
// A zlib stream of the bytes.
DatBytes ZlibStream(const DatBytes& data);
DatBytes DatText(const std::string& text);

// One entry: the bytes as stored in the archive and what the directory records.
struct DatEntry {
    std::string folder; // first game: the directory ("" for the root "."); second game: unused
    std::string name;   // first game: the file name; second game: the whole path with backslashes
    DatBytes packed;    // written at the entry's offset
    std::uint32_t unpackedSize = 0;
    std::uint32_t method = 0;                // first game: the attributes; second game: the compressed byte
    std::optional<std::uint32_t> offset;     // recorded instead of the real one
    std::optional<std::uint32_t> packedSize; // recorded instead of the real one
};

class Dat1Writer {
public:
    Dat1Writer& Add(DatEntry entry);
    Dat1Writer& Stored(const std::string& folder, const std::string& name, const std::string& text);
    Dat1Writer& Lzss(const std::string& folder, const std::string& name, const DatBytes& stream,
                     std::uint32_t unpackedSize, std::uint32_t attributes = 0x10);
    Dat1Writer& Chunks(const std::string& folder, const std::string& name, const DatBytes& chunks,
                       std::uint32_t unpackedSize);
    // Recorded counts instead of the real ones.
    std::optional<std::uint32_t> folderCount;
    std::optional<std::uint32_t> fileCount; // of the first directory
    DatBytes Build() const;

private:
    std::vector<DatEntry> entries_;
};

class Dat2Writer {
public:
    Dat2Writer& Add(DatEntry entry);
    Dat2Writer& Stored(const std::string& path, const std::string& text);
    Dat2Writer& Stored(const std::string& path, const DatBytes& data);
    Dat2Writer& Zlib(const std::string& path, const DatBytes& data);
    Dat2Writer& Zlib(const std::string& path, const std::string& text) { return Zlib(path, DatText(text)); }
    std::optional<std::uint32_t> fileCount; // recorded instead of the real count
    std::optional<std::uint32_t> treeSize;  // recorded instead of the real size
    DatBytes Build() const;

private:
    std::vector<DatEntry> entries_;
};

} // namespace quarnel::test
