#pragma once
// Builds critter prototype records for tests: every byte set from a seed so
// that untouched regions are recognisable, then fields set by offset.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::test {

class ProtoBuilder {
public:
    explicit ProtoBuilder(int size = 416, std::uint8_t seed = 0x5A);

    ProtoBuilder& Set(int offset, int width, std::int32_t value);
    ProtoBuilder& PidNumber(int pid) { return Set(2, 2, pid); }
    ProtoBuilder& TextId(std::int32_t id) { return Set(4, 4, id); }
    ProtoBuilder& FidIndex(int fid) { return Set(11, 1, fid); }
    // Base and extra value of the primary statistic i (0 = ST ... 6 = LU).
    ProtoBuilder& Primary(int i, std::int32_t base, std::int32_t extra);
    // Base and extra value of the derived statistic i (0 = HP ... 9 = better criticals).
    ProtoBuilder& Derived(int i, std::int32_t base, std::int32_t extra);
    // Damage threshold (resistance = false) or resistance of type 0..6.
    ProtoBuilder& Damage(int type, bool resistance, std::int32_t base, std::int32_t extra);
    ProtoBuilder& Gender(std::int32_t base, std::int32_t extra);
    ProtoBuilder& Skill(int i, std::int32_t value);
    ProtoBuilder& Experience(std::int32_t value);
    // A plausible critter: primary 5 each, formula-consistent derived values, small skills.
    ProtoBuilder& Typical();

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    void WriteTo(const std::filesystem::path& file) const;

private:
    std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> ReadAllBytes(const std::filesystem::path& file);
void WriteAllBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
void WriteTextFile(const std::filesystem::path& file, const std::string& text);
// Copies the ordinary files of a folder into a new folder as plain writable
// files, so that tests never open the shared originals for writing.
void CopyFolderFiles(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace quarnel::test
