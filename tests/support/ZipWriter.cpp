#include "ZipWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace quarnel::test {
namespace {

void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put64(Bytes& out, std::uint64_t v)
{
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

void PutBytes(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

std::uint32_t Low32(std::uint64_t v, bool zip64) { return zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v); }

} // namespace

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes DeflateRaw(const Bytes& data)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

std::uint32_t Crc32Of(const Bytes& data)
{
    return static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

std::uint32_t Crc32Of(const std::string& data) { return Crc32Of(ToBytes(data)); }

Bytes ExtraField(std::uint16_t tag, const Bytes& data)
{
    Bytes out;
    Put16(out, tag);
    Put16(out, static_cast<std::uint32_t>(data.size()));
    PutBytes(out, data);
    return out;
}

Bytes UnicodePathExtra(const std::string& rawName, const std::string& utf8Name, std::optional<std::uint32_t> crc)
{
    Bytes data{1};
    Put32(data, crc.value_or(Crc32Of(rawName)));
    PutText(data, utf8Name);
    return ExtraField(0x7075, data);
}

Bytes NucxExtra(const std::u16string& name)
{
    Bytes data = ToBytes("NUCX");
    for (char16_t c : name)
        Put16(data, c);
    return ExtraField(0x554E, data);
}

std::uint16_t DosDate(int year, int month, int day)
{
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

std::uint16_t DosTime(int hour, int minute, int second)
{
    return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

ZipWriter& ZipWriter::Add(const ZipEntry& entry)
{
    entries_.push_back(entry);
    return *this;
}

ZipWriter& ZipWriter::Stored(const std::string& name, const Bytes& data)
{
    ZipEntry e;
    e.name = name;
    e.data = data;
    return Add(e);
}

ZipWriter& ZipWriter::Deflated(const std::string& name, const Bytes& data)
{
    ZipEntry e;
    e.name = name;
    e.data = data;
    e.method = 8;
    return Add(e);
}

ZipWriter& ZipWriter::Folder(const std::string& name)
{
    ZipEntry e;
    e.name = name.empty() || name.back() == '/' ? name : name + "/";
    e.externalAttributes = 0x10;
    e.versionNeeded = 10;
    return Add(e);
}

ZipWriter& ZipWriter::Comment(const std::string& comment)
{
    comment_ = comment;
    return *this;
}

ZipWriter& ZipWriter::Zip64End(bool on)
{
    zip64End_ = on;
    return *this;
}

ZipWriter& ZipWriter::Prefix(const Bytes& bytes)
{
    prefix_ = bytes;
    return *this;
}

ZipWriter& ZipWriter::Trailer(const Bytes& bytes)
{
    trailer_ = bytes;
    return *this;
}

ZipWriter& ZipWriter::EndDiskNumbers(std::uint16_t thisDisk, std::uint16_t centralDisk)
{
    thisDisk_ = thisDisk;
    centralDisk_ = centralDisk;
    return *this;
}

ZipWriter& ZipWriter::EndEntryCount(std::uint64_t count)
{
    entryCount_ = count;
    return *this;
}

ZipWriter& ZipWriter::EndCentralOffset(std::uint64_t offset)
{
    centralOffset_ = offset;
    return *this;
}

ZipWriter& ZipWriter::EndCommentLength(std::uint16_t length)
{
    commentLength_ = length;
    return *this;
}

ZipWriter& ZipWriter::BadCentralSignature(bool on)
{
    badCentralSignature_ = on;
    return *this;
}

Bytes ZipWriter::Build() const
{
    Bytes out = prefix_;
    Bytes central;
    for (const ZipEntry& e : entries_) {
        const Bytes encoded = e.compressedData ? *e.compressedData : e.method == 8 ? DeflateRaw(e.data) : e.data;
        const std::uint32_t crc = e.crc.value_or(Crc32Of(e.data));
        const std::uint64_t usize = e.uncompressedSize.value_or(e.data.size());
        const std::uint64_t csize = e.compressedSize.value_or(encoded.size());
        const std::uint64_t offset = e.localHeaderOffset.value_or(out.size());

        Bytes localExtra;
        Bytes centralExtra;
        if (e.zip64) {
            Bytes local64;
            Put64(local64, usize);
            Put64(local64, csize);
            localExtra = ExtraField(0x0001, local64);
            Bytes central64 = local64;
            Put64(central64, offset);
            centralExtra = ExtraField(0x0001, central64);
        }
        PutBytes(localExtra, e.localExtra);
        PutBytes(centralExtra, e.centralExtra);

        Put32(out, e.badLocalSignature ? 0x04034b51 : 0x04034b50);
        Put16(out, e.versionNeeded);
        Put16(out, e.flags);
        Put16(out, e.method);
        Put16(out, e.dosTime);
        Put16(out, e.dosDate);
        Put32(out, crc);
        Put32(out, Low32(csize, e.zip64));
        Put32(out, Low32(usize, e.zip64));
        Put16(out, static_cast<std::uint32_t>(e.name.size()));
        Put16(out, static_cast<std::uint32_t>(localExtra.size()));
        PutText(out, e.name);
        PutBytes(out, localExtra);
        PutBytes(out, encoded);

        Put32(central, badCentralSignature_ ? 0x02014b51 : 0x02014b50);
        Put16(central, e.versionMadeBy);
        Put16(central, e.versionNeeded);
        Put16(central, e.flags);
        Put16(central, e.method);
        Put16(central, e.dosTime);
        Put16(central, e.dosDate);
        Put32(central, crc);
        Put32(central, Low32(csize, e.zip64));
        Put32(central, Low32(usize, e.zip64));
        Put16(central, static_cast<std::uint32_t>(e.name.size()));
        Put16(central, static_cast<std::uint32_t>(centralExtra.size()));
        Put16(central, 0); // comment length
        Put16(central, e.diskNumberStart);
        Put16(central, 0); // internal attributes
        Put32(central, e.externalAttributes);
        Put32(central, Low32(offset, e.zip64));
        PutText(central, e.name);
        PutBytes(central, centralExtra);
    }

    const std::uint64_t centralOffset = centralOffset_.value_or(out.size());
    const std::uint64_t count = entryCount_.value_or(entries_.size());
    PutBytes(out, central);

    if (zip64End_) {
        const std::uint64_t recordOffset = out.size();
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, thisDisk_.value_or(0));
        Put32(out, centralDisk_.value_or(0));
        Put64(out, count);
        Put64(out, count);
        Put64(out, central.size());
        Put64(out, centralOffset);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, recordOffset);
        Put32(out, 1);
    }

    Put32(out, 0x06054b50);
    Put16(out, zip64End_ ? 0xFFFF : thisDisk_.value_or(0));
    Put16(out, zip64End_ ? 0xFFFF : centralDisk_.value_or(0));
    Put16(out, zip64End_ ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
    Put16(out, zip64End_ ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
    Put32(out, zip64End_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(central.size()));
    Put32(out, zip64End_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(centralOffset));
    Put16(out, commentLength_.value_or(static_cast<std::uint16_t>(comment_.size())));
    PutText(out, comment_);
    PutBytes(out, trailer_);
    return out;
}

void ZipWriter::WriteTo(const std::filesystem::path& file) const
{
    const Bytes bytes = Build();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace quarnel::test
