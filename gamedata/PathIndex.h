#pragma once
// A hash index from paths to entry numbers, built once over paths that lie
// in one text (an archive's whole directory), so that tens of thousands of
// entries cost one allocation, not one per entry. Paths compare as their
// keys (GamePathKey): without regard to case, "\\" and "/" alike.
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
    // Indexes spans[i] of paths as entry i; a path given twice keeps its
    // first entry until Choose picks another. paths and spans must outlive
    // the index and stay where they are.
    void Build(std::string_view paths, const std::vector<KeySpan>& spans);
    // The entry of a path ("/" or "\\", any case).
    std::optional<std::uint32_t> Find(std::string_view path) const;
    // Whether another entry has the entry's path.
    bool IsRepeated(std::size_t entry) const { return entry < repeated_.size() && repeated_[entry]; }
    // Makes entry the one its path stands for (a path of several entries).
    void Choose(std::uint32_t entry);

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0; // entry number + 1; 0 is an empty slot
    };
    std::string_view KeyOf(std::uint32_t entry) const;

    std::string_view paths_;
    const std::vector<KeySpan>* spans_ = nullptr;
    std::vector<Slot> slots_;
    std::vector<bool> repeated_; // per entry
};

} // namespace quarnel
