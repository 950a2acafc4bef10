#include "DatWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace quarnel::test {
namespace {

void Be32(DatBytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Le32(DatBytes& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Append(DatBytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
void Append(DatBytes& out, const DatBytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

} // namespace

DatBytes DatText(const std::string& text) { return DatBytes(text.begin(), text.end()); }

DatBytes LzssLiterals(const std::string& text)
{
    DatBytes out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % 8 == 0)
            out.push_back(0xFF);
        out.push_back(static_cast<std::uint8_t>(text[i]));
    }
    return out;
}

DatBytes StoredChunk(const DatBytes& data)
{
    DatBytes out{static_cast<std::uint8_t>(0x80 | (data.size() >> 8)), static_cast<std::uint8_t>(data.size())};
    Append(out, data);
    return out;
}

DatBytes LzssChunk(const DatBytes& stream)
{
    DatBytes out{static_cast<std::uint8_t>(stream.size() >> 8), static_cast<std::uint8_t>(stream.size())};
    Append(out, stream);
    return out;
}

DatBytes ZlibStream(const DatBytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    DatBytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Dat1Writer& Dat1Writer::Add(DatEntry entry)
{
    entries_.push_back(std::move(entry));
    return *this;
}

Dat1Writer& Dat1Writer::Stored(const std::string& folder, const std::string& name, const std::string& text)
{
    // Stored entries record a packed size of 0.
    return Add({folder, name, DatText(text), static_cast<std::uint32_t>(text.size()), 0x20, {}, 0});
}

Dat1Writer& Dat1Writer::Lzss(const std::string& folder, const std::string& name, const DatBytes& stream,
                             std::uint32_t unpackedSize, std::uint32_t attributes)
{
    return Add({folder, name, stream, unpackedSize, attributes, {}, {}});
}

Dat1Writer& Dat1Writer::Chunks(const std::string& folder, const std::string& name, const DatBytes& chunks,
                               std::uint32_t unpackedSize)
{
    return Add({folder, name, chunks, unpackedSize, 0x40, {}, {}});
}

DatBytes Dat1Writer::Build() const
{
    std::vector<std::string> folders;
    for (const DatEntry& e : entries_) {
        bool known = false;
        for (const std::string& f : folders)
            known = known || f == e.folder;
        if (!known)
            folders.push_back(e.folder);
    }
    // The directory's size first, so that the data offsets are known.
    std::size_t directory = 16;
    for (const std::string& f : folders)
        directory += 1 + (f.empty() ? 1 : f.size()) + 16;
    for (const DatEntry& e : entries_)
        directory += 1 + e.name.size() + 16;

    DatBytes out;
    Be32(out, folderCount.value_or(static_cast<std::uint32_t>(folders.size())));
    Be32(out, 0x5E);
    Be32(out, 0);
    Be32(out, 0x12345678);
    for (const std::string& f : folders) {
        const std::string name = f.empty() ? "." : f;
        out.push_back(static_cast<std::uint8_t>(name.size()));
        Append(out, name);
    }
    std::uint32_t offset = static_cast<std::uint32_t>(directory);
    bool firstFolder = true;
    for (const std::string& f : folders) {
        std::uint32_t count = 0;
        for (const DatEntry& e : entries_)
            count += e.folder == f;
        Be32(out, firstFolder && fileCount ? *fileCount : count);
        firstFolder = false;
        Be32(out, 0x10);
        Be32(out, 16);
        Be32(out, 0x12345678);
        for (const DatEntry& e : entries_) {
            if (e.folder != f)
                continue;
            out.push_back(static_cast<std::uint8_t>(e.name.size()));
            Append(out, e.name);
            Be32(out, e.method);
            Be32(out, e.offset.value_or(offset));
            Be32(out, e.unpackedSize);
            Be32(out, e.packedSize.value_or(static_cast<std::uint32_t>(e.packed.size())));
            offset += static_cast<std::uint32_t>(e.packed.size());
        }
    }
    for (const std::string& f : folders)
        for (const DatEntry& e : entries_)
            if (e.folder == f)
                Append(out, e.packed);
    return out;
}

Dat2Writer& Dat2Writer::Add(DatEntry entry)
{
    entries_.push_back(std::move(entry));
    return *this;
}

Dat2Writer& Dat2Writer::Stored(const std::string& path, const std::string& text) { return Stored(path, DatText(text)); }

Dat2Writer& Dat2Writer::Stored(const std::string& path, const DatBytes& data)
{
    return Add({{}, path, data, static_cast<std::uint32_t>(data.size()), 0, {}, {}});
}

Dat2Writer& Dat2Writer::Zlib(const std::string& path, const DatBytes& data)
{
    return Add({{}, path, ZlibStream(data), static_cast<std::uint32_t>(data.size()), 1, {}, {}});
}

DatBytes Dat2Writer::Build() const
{
    DatBytes out;
    std::vector<std::uint32_t> offsets;
    for (const DatEntry& e : entries_) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        Append(out, e.packed);
    }
    const std::size_t treeStart = out.size();
    Le32(out, fileCount.value_or(static_cast<std::uint32_t>(entries_.size())));
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const DatEntry& e = entries_[i];
        Le32(out, static_cast<std::uint32_t>(e.name.size()));
        Append(out, e.name);
        out.push_back(static_cast<std::uint8_t>(e.method));
        Le32(out, e.unpackedSize);
        Le32(out, e.packedSize.value_or(static_cast<std::uint32_t>(e.packed.size())));
        Le32(out, e.offset.value_or(offsets[i]));
    }
    Le32(out, treeSize.value_or(static_cast<std::uint32_t>(out.size() - treeStart)));
    Le32(out, static_cast<std::uint32_t>(out.size() + 4));
    return out;
}

} // namespace quarnel::test
