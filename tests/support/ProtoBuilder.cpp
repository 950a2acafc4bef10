#include "ProtoBuilder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quarnel::test {

ProtoBuilder::ProtoBuilder(int size, std::uint8_t seed) : bytes_(static_cast<std::size_t>(size))
{
    for (std::size_t i = 0; i < bytes_.size(); ++i)
        bytes_[i] = static_cast<std::uint8_t>(seed + i * 7);
    // Keep every field that the program reads small and plausible.
    if (size >= 412)
        Typical();
}

ProtoBuilder& ProtoBuilder::Set(int offset, int width, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = width - 1; i >= 0; --i) {
        bytes_.at(static_cast<std::size_t>(offset + i)) = static_cast<std::uint8_t>(bits & 0xFF);
        bits >>= 8;
    }
    return *this;
}

ProtoBuilder& ProtoBuilder::Primary(int i, std::int32_t base, std::int32_t extra)
{
    return Set(48 + 4 * i, 4, base).Set(188 + 4 * i, 4, extra);
}

ProtoBuilder& ProtoBuilder::Derived(int i, std::int32_t base, std::int32_t extra)
{
    return Set(76 + 4 * i, 4, base).Set(216 + 4 * i, 4, extra);
}

ProtoBuilder& ProtoBuilder::Damage(int type, bool resistance, std::int32_t base, std::int32_t extra)
{
    const int offset = (resistance ? 144 : 116) + 4 * type;
    return Set(offset, 4, base).Set(offset + 140, 4, extra);
}

ProtoBuilder& ProtoBuilder::Gender(std::int32_t base, std::int32_t extra)
{
    return Set(184, 4, base).Set(324, 4, extra);
}

ProtoBuilder& ProtoBuilder::Skill(int i, std::int32_t value) { return Set(328 + 4 * i, 4, value); }

ProtoBuilder& ProtoBuilder::Experience(std::int32_t value) { return Set(404, 4, value); }

ProtoBuilder& ProtoBuilder::Typical()
{
    PidNumber(1).TextId(100).FidIndex(0);
    for (int i = 0; i < 7; ++i)
        Primary(i, 5, 0);
    const std::int32_t derived[10] = {30, 7, 5, 1, 1, 150, 10, 1, 5, 0};
    for (int i = 0; i < 10; ++i)
        Derived(i, derived[i], 0);
    for (int t = 0; t < 7; ++t)
        Damage(t, false, 0, 0).Damage(t, true, 0, 0);
    Gender(0, 0);
    for (int i = 0; i < 18; ++i)
        Skill(i, 0);
    return Experience(50);
}

void ProtoBuilder::WriteTo(const std::filesystem::path& file) const { WriteAllBytes(file, bytes_); }

std::vector<std::uint8_t> ReadAllBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAllBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void WriteTextFile(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

void CopyFolderFiles(const std::filesystem::path& from, const std::filesystem::path& to)
{
    namespace fs = std::filesystem;
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path copy = to / entry.path().filename();
        WriteAllBytes(copy, ReadAllBytes(entry.path()));
    }
}

} // namespace quarnel::test
