#include "proto/ProFile.h"

#include "platform/ByteOrder.h"
#include "platform/Errors.h"
#include "platform/FileHandle.h"
#include "platform/RegularFile.h"
#include "platform/IntegerText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace quarnel {
namespace {

constexpr int kReadBeyondEnd = 100;

// Opens an existing file for reading and writing, as every prototype access does.
FileHandle OpenExisting(const std::filesystem::path& file)
{
    if (file.empty())
        throw IoError(2);
    return OpenFileHandle(file, "r+b");
}

void SeekTo(std::FILE* f, long offset)
{
    if (std::fseek(f, offset, SEEK_SET) != 0)
        ThrowIoErrorFromErrno();
}

// One write of length bytes at offset, flushed so that a failure shows here.
void WriteAt(std::FILE* f, long offset, const std::uint8_t* bytes, std::size_t length)
{
    SeekTo(f, offset);
    errno = 0;
    if (std::fwrite(bytes, 1, length, f) != length || std::fflush(f) != 0)
        ThrowIoErrorFromErrno();
}

void CheckWidth(int width)
{
    if (width < 1 || width > 4)
        throw IoError(106);
}

} // namespace

std::int32_t DecodeBigEndian(const std::uint8_t* bytes, int width)
{
    return static_cast<std::int32_t>(ReadBigEndian(bytes, width));
}

void EncodeBigEndian(std::uint8_t* bytes, int width, std::int32_t value)
{
    WriteBigEndian(bytes, width, static_cast<std::uint32_t>(value));
}

std::int32_t ReadProField(const std::filesystem::path& file, int offset, int width)
{
    CheckWidth(width);
    FileHandle f = OpenExisting(file);
    SeekTo(f.get(), offset);
    std::uint8_t bytes[4] = {};
    if (std::fread(bytes, 1, static_cast<std::size_t>(width), f.get()) != static_cast<std::size_t>(width))
        throw IoError(kReadBeyondEnd);
    CloseChecked(std::move(f));
    return DecodeBigEndian(bytes, width);
}

void WriteProField(const std::filesystem::path& file, int offset, int width, const std::string& valueText)
{
    CheckWidth(width);
    const std::int32_t value = StrToInt(valueText);
    FileHandle f = OpenExisting(file);
    SeekTo(f.get(), offset);
    std::uint8_t bytes[4] = {};
    EncodeBigEndian(bytes, width, value);
    errno = 0;
    if (std::fwrite(bytes, 1, static_cast<std::size_t>(width), f.get()) != static_cast<std::size_t>(width))
        ThrowIoErrorFromErrno();
    CloseChecked(std::move(f));
}

ProRecord ProRecord::ReadFrom(std::FILE* file)
{
    ProRecord record;
    std::uint8_t buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        record.bytes_.insert(record.bytes_.end(), buffer, buffer + got);
    if (std::ferror(file))
        ThrowIoErrorFromErrno();
    return record;
}

ProRecord ProRecord::Read(const std::filesystem::path& file)
{
    FileHandle f = OpenExisting(file);
    ProRecord record = ReadFrom(f.get());
    CloseChecked(std::move(f));
    return record;
}

ProRecord ProRecord::View(const std::filesystem::path& file, std::size_t maxBytes)
{
    const std::string bytes = ReadFilePrefix(file, maxBytes);
    ProRecord record;
    record.bytes_.assign(bytes.begin(), bytes.end());
    return record;
}

ProRecord ProRecord::FromBytes(std::vector<std::uint8_t> bytes)
{
    ProRecord record;
    record.bytes_ = std::move(bytes);
    return record;
}

std::int32_t ProRecord::Field(int offset, int width) const
{
    CheckWidth(width);
    if (offset < 0 || static_cast<std::size_t>(offset) + static_cast<std::size_t>(width) > bytes_.size())
        throw IoError(kReadBeyondEnd);
    return DecodeBigEndian(bytes_.data() + offset, width);
}

void ProRecord::SetField(int offset, int width, std::int32_t value)
{
    CheckWidth(width);
    if (offset < 0 || static_cast<std::size_t>(offset) + static_cast<std::size_t>(width) > bytes_.size())
        throw IoError(kReadBeyondEnd);
    EncodeBigEndian(bytes_.data() + offset, width, value);
}

bool ProRecord::UpdateChanged(const std::filesystem::path& file, std::size_t expectedSize,
                              const std::function<void(ProRecord&)>& edit)
{
    FileHandle f = OpenExisting(file);
    const ProRecord record = ReadFrom(f.get());
    if (record.size() != expectedSize)
        return false;
    ProRecord edited = record;
    edit(edited);
    const auto& old = record.bytes_;
    const auto& now = edited.bytes_;
    const auto first = std::mismatch(old.begin(), old.end(), now.begin()).first;
    if (first != old.end()) {
        const auto last = std::mismatch(old.rbegin(), old.rend(), now.rbegin()).first.base();
        const auto begin = first - old.begin();
        WriteAt(f.get(), static_cast<long>(begin), now.data() + begin, static_cast<std::size_t>(last - first));
    }
    CloseChecked(std::move(f));
    return true;
}

std::int32_t TextIdToIdNumber(std::int32_t textId)
{
    const std::int64_t value = textId;
    std::int64_t quotient = value / 100;
    const std::int64_t remainder = value % 100; // same sign as value
    const std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > 100 || (twice == 100 && quotient % 2 != 0))
        quotient += value < 0 ? -1 : 1;
    return static_cast<std::int32_t>(quotient);
}

} // namespace quarnel
