#include "cli/PrototypeMerge.h"

#include <algorithm>

namespace quarnel::cli {
namespace {

// A part of the record merged as a whole: a field, or a run of bytes no field covers.
struct MergeUnit {
    std::string key;
    std::size_t offset = 0;
    std::size_t width = 0;
    const RecordField* field = nullptr;
};

// The kind's fields that the record holds, and the runs of bytes between and after them.
std::vector<MergeUnit> MergeUnits(RecordKind kind, std::size_t size)
{
    std::vector<MergeUnit> units;
    std::vector<bool> covered(size, false);
    for (const RecordField& field : KindLayout(kind)) {
        const auto offset = static_cast<std::size_t>(field.offset);
        const auto width = static_cast<std::size_t>(field.width);
        if (offset + width > size)
            continue;
        units.push_back({field.key, offset, width, &field});
        std::fill_n(covered.begin() + static_cast<std::ptrdiff_t>(offset), width, true);
    }
    for (std::size_t start = 0; start < size;) {
        if (covered[start]) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < size && !covered[end])
            ++end;
        units.push_back({"bytes " + std::to_string(start) + "-" + std::to_string(end - 1), start, end - start});
        start = end;
    }
    return units;
}

// The unit's value as the diff command shows it; a run of bytes in hexadecimal, spaced.
std::string UnitText(const MergeUnit& unit, const Prototype& prototype)
{
    if (unit.field)
        return FieldValueText(*unit.field, FieldValue(prototype.record, *unit.field));
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = unit.offset; i < unit.offset + unit.width; ++i) {
        const std::uint8_t byte = prototype.record.bytes()[i];
        text += (text.empty() ? "" : " ") + std::string{digits[byte >> 4], digits[byte & 15]};
    }
    return text;
}

} // namespace

PrototypeMergeResult MergePrototypes(const Prototype& base, const Prototype& ours, const Prototype& theirs)
{
    PrototypeMergeResult result{ours.record.bytes(), {}};
    const auto same = [](const Prototype& a, const Prototype& b, const MergeUnit& unit) {
        const auto start = a.record.bytes().begin() + static_cast<std::ptrdiff_t>(unit.offset);
        return std::equal(start, start + static_cast<std::ptrdiff_t>(unit.width),
                          b.record.bytes().begin() + static_cast<std::ptrdiff_t>(unit.offset));
    };
    for (const MergeUnit& unit : MergeUnits(ours.kind, ours.record.size())) {
        if (same(ours, theirs, unit) || same(base, theirs, unit))
            continue; // both alike, or theirs unchanged: ours stands
        if (same(base, ours, unit)) {
            const auto from = theirs.record.bytes().begin() + static_cast<std::ptrdiff_t>(unit.offset);
            std::copy(from, from + static_cast<std::ptrdiff_t>(unit.width),
                      result.bytes.begin() + static_cast<std::ptrdiff_t>(unit.offset));
            continue;
        }
        result.conflicts.push_back({unit.key, UnitText(unit, base), UnitText(unit, ours), UnitText(unit, theirs)});
    }
    return result;
}

} // namespace quarnel::cli
