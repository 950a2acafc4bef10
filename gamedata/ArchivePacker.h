#pragma once
// A new archive of either game's format, built in memory: files are added
// one by one (compressed as they come, or stored when that is not smaller
// or the caller asks for it), and the whole archive's bytes are taken at the
// end. Each format is a class of its own (Dat1Packer, Dat2Packer).
#include "gamedata/Archive.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

class ArchivePacker {
public:
    static std::unique_ptr<ArchivePacker> For(ArchiveFormat format);

    virtual ~ArchivePacker() = default;

    // Why the format cannot hold a path ("/" between folders), or nothing
    // when it can. Every format takes names of printable ASCII characters
    // only, without "\" (the games' separator), and no empty part.
    virtual std::optional<std::string> Refusal(std::string_view path) const;

    // A file ready to be added: its name as the archive records it and the
    // bytes it takes there.
    struct PackedFile {
        std::string name;
        std::uint64_t unpackedSize = 0;
        std::vector<std::uint8_t> data; // compressed, or the file's own bytes
        bool compressed = false;
    };

    // Compresses a file at a path that Refusal passes, unless store is set or
    // compressing does not make it smaller. Safe to call from several threads.
    virtual PackedFile Prepare(std::string_view path, std::vector<std::uint8_t> bytes, bool store) const = 0;

    // Adds a prepared file. ArchiveError (TooLarge) when the archive would
    // outgrow the 32-bit sizes and offsets.
    void Add(PackedFile file);
    void Add(std::string_view path, std::vector<std::uint8_t> bytes, bool store)
    {
        Add(Prepare(path, std::move(bytes), store));
    }

    // The archive's bytes, its directory in the order the games search it.
    // Leaves the packer empty.
    virtual std::vector<std::uint8_t> Finish() = 0;

    std::size_t Count() const { return entries_.size(); }
    std::size_t CompressedCount() const;

protected:
    struct Entry {
        std::string name;         // as the archive records it
        std::uint64_t dataAt = 0; // of its bytes in data_
        std::uint32_t unpackedSize = 0;
        std::uint32_t packedSize = 0; // bytes in data_
        bool compressed = false;
    };

    // The order of the games' directory search: bytes compared with A to Z
    // lowered and "/" taken as "\".
    static bool SearchOrder(std::string_view a, std::string_view b);

    std::vector<Entry> entries_;
    std::vector<std::uint8_t> data_; // every entry's packed bytes, in the order added
};

} // namespace quarnel
