#pragma once
// Field access to critter prototype files: big-endian fields of 1 to 4 bytes
// at a byte offset. Widths 1 to 3 are unsigned, width 4 is signed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quarnel {

std::int32_t DecodeBigEndian(const std::uint8_t* bytes, int width);
void EncodeBigEndian(std::uint8_t* bytes, int width, std::int32_t value);

// One field, the file opened and closed by the call. Errors: IoError.
std::int32_t ReadProField(const std::filesystem::path& file, int offset, int width);
// The value text is converted before the file is opened (ConvertError).
void WriteProField(const std::filesystem::path& file, int offset, int width, const std::string& valueText);

constexpr std::size_t kCritterReadLimit = 417;

// A whole record read with one opening of the file, so that a load does not
// open it once per field.
class ProRecord {
public:
    // Reads the whole file (opened for reading and writing, like every access).
    static ProRecord Read(const std::filesystem::path& file);
    // Reads at most maxBytes of a regular file opened for reading only: for
    // the command-line tool, which must work on files it may not write and
    // never read a device or pipe (FileRefusedError).
    // The default reads one byte more than the largest critter record, enough
    // to tell a record of a wrong size.
    static ProRecord View(const std::filesystem::path& file, std::size_t maxBytes = kCritterReadLimit);

    // A record of bytes read elsewhere (from a game archive).
    static ProRecord FromBytes(std::vector<std::uint8_t> bytes);

    std::size_t size() const { return bytes_.size(); }
    std::int32_t Field(int offset, int width) const; // IoError 100 past the end
    void SetField(int offset, int width, std::int32_t value);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    // Opens the file once: reads the record, and when it still has
    // expectedSize bytes, applies edit to it and writes back, in one write,
    // the bytes from the first to the last one the edit changed (nothing when
    // it changed none). Returns false, writing nothing, when the size differs.
    static bool UpdateChanged(const std::filesystem::path& file, std::size_t expectedSize,
                              const std::function<void(ProRecord&)>& edit);

private:
    static ProRecord ReadFrom(std::FILE* file);

    std::vector<std::uint8_t> bytes_;
};

// Text ID shown as ID number: divided by 100, an exact half to the even neighbour.
std::int32_t TextIdToIdNumber(std::int32_t textId);

} // namespace quarnel
