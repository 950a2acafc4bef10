#pragma once
// A hash index from lookup keys to entry numbers, built once over keys that
// lie in one text (an archive's whole directory), so that tens of thousands
// of entries cost two allocations, not one per entry.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quarnel {

struct KeySpan {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

class PathIndex {
public:
    // Indexes spans[i] of keys as entry i; a key given twice keeps its first
    // entry. keys must outlive the index and stay where it is.
    void Build(std::string_view keys, const std::vector<KeySpan>& spans);
    // The entry of a key (already made by GamePathKey).
    std::optional<std::uint32_t> Find(std::string_view key) const;

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0; // entry number + 1; 0 is an empty slot
    };
    static std::uint32_t Hash(std::string_view key);
    std::string_view KeyOf(std::uint32_t entry) const;

    std::string_view keys_;
    const std::vector<KeySpan>* spans_ = nullptr;
    std::vector<Slot> slots_;
};

} // namespace quarnel
