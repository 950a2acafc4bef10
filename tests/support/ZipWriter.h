#pragma once
// Builds ZIP archives byte by byte for tests: stored and deflated members,
// folders, comments, ZIP64 records, and every kind of damage the reader must
// survive (wrong CRC, encrypted flag, unknown method, bad local header,
// sizes and counts that lie).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text);

// One member. Defaults describe a plain DOS-made, stored member.
struct ZipEntry {
    std::string name;                 // raw name bytes as stored
    Bytes data;                       // the member's content (uncompressed)
    std::uint16_t method = 0;         // 0 stored, 8 deflated; any other: data written as is
    std::uint16_t flags = 0;          // bit 0 encrypted, bit 3 data descriptor, bit 11 UTF-8
    std::uint16_t versionMadeBy = 20; // high byte: host (0 DOS, 3 Unix)
    std::uint16_t versionNeeded = 20;
    std::uint16_t dosTime = 0x6000; // 12:00:00
    std::uint16_t dosDate = 0x5A21; // 2025-01-01
    std::uint32_t externalAttributes = 0x20;
    std::uint16_t diskNumberStart = 0;
    Bytes centralExtra;
    Bytes localExtra;
    std::optional<std::uint32_t> crc;               // recorded CRC-32 instead of the real one
    std::optional<std::uint64_t> uncompressedSize;  // recorded instead of the real size
    std::optional<std::uint64_t> compressedSize;    // recorded instead of the real size
    std::optional<std::uint64_t> localHeaderOffset; // recorded instead of the real offset
    std::optional<Bytes> compressedData;            // written instead of the encoded data
    bool badLocalSignature = false;
    bool zip64 = false; // sizes and offset as 0xFFFFFFFF with a 0x0001 extra field
};

class ZipWriter {
public:
    ZipWriter& Add(const ZipEntry& entry);
    ZipWriter& Stored(const std::string& name, const Bytes& data);
    ZipWriter& Stored(const std::string& name, const std::string& text) { return Stored(name, ToBytes(text)); }
    ZipWriter& Deflated(const std::string& name, const Bytes& data);
    ZipWriter& Deflated(const std::string& name, const std::string& text) { return Deflated(name, ToBytes(text)); }
    // A folder entry ("name/", no data, directory attribute).
    ZipWriter& Folder(const std::string& name);

    ZipWriter& Comment(const std::string& comment);
    // Writes the ZIP64 end record and locator, with the classic record's
    // counts, size and offset set to all ones.
    ZipWriter& Zip64End(bool on = true);
    // Bytes written before the first member (the offsets still count from the
    // file's start, as a self-extractor would record them).
    ZipWriter& Prefix(const Bytes& bytes);
    // Bytes appended after the end record (not counted in the comment length).
    ZipWriter& Trailer(const Bytes& bytes);
    // Overrides of the end record's fields.
    ZipWriter& EndDiskNumbers(std::uint16_t thisDisk, std::uint16_t centralDisk);
    ZipWriter& EndEntryCount(std::uint64_t count);
    ZipWriter& EndCentralOffset(std::uint64_t offset);
    ZipWriter& EndCommentLength(std::uint16_t length);
    ZipWriter& BadCentralSignature(bool on = true);

    Bytes Build() const;
    void WriteTo(const std::filesystem::path& file) const;

private:
    std::vector<ZipEntry> entries_;
    std::string comment_;
    bool zip64End_ = false;
    Bytes prefix_;
    Bytes trailer_;
    std::optional<std::uint16_t> thisDisk_;
    std::optional<std::uint16_t> centralDisk_;
    std::optional<std::uint64_t> entryCount_;
    std::optional<std::uint64_t> centralOffset_;
    std::optional<std::uint16_t> commentLength_;
    bool badCentralSignature_ = false;
};

// Raw deflate (RFC 1951) of bytes, as a ZIP member holds it.
Bytes DeflateRaw(const Bytes& data);
std::uint32_t Crc32Of(const Bytes& data);
std::uint32_t Crc32Of(const std::string& data);

// Extra fields: Unicode Path (0x7075, version 1, CRC-32 of the raw name), the
// "NUCX" UTF-16 name field (0x554E) and a raw field of any tag.
Bytes UnicodePathExtra(const std::string& rawName, const std::string& utf8Name, std::optional<std::uint32_t> crc = {});
Bytes NucxExtra(const std::u16string& name);
Bytes ExtraField(std::uint16_t tag, const Bytes& data);

// A DOS date and time from calendar fields.
std::uint16_t DosDate(int year, int month, int day);
std::uint16_t DosTime(int hour, int minute, int second);

} // namespace quarnel::test
