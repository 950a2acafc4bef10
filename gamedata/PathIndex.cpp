#include "gamedata/PathIndex.h"

#include "gamedata/GamePath.h"

namespace quarnel {

std::string_view PathIndex::KeyOf(std::uint32_t entry) const
{
    const KeySpan& span = (*spans_)[entry];
    return paths_.substr(span.start, span.length);
}

void PathIndex::Build(std::string_view paths, const std::vector<KeySpan>& spans)
{
    paths_ = paths;
    spans_ = &spans;
    std::size_t size = 16;
    while (size < spans.size() * 2)
        size *= 2;
    slots_.assign(size, Slot{});
    repeated_.assign(spans.size(), false);
    const std::size_t mask = size - 1;
    for (std::uint32_t i = 0; i < spans.size(); ++i) {
        const std::string_view key = KeyOf(i);
        const std::uint32_t hash = GamePathHash(key);
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            Slot& slot = slots_[s];
            if (slot.entry == 0) {
                slot = {hash, i + 1};
                break;
            }
            if (slot.hash == hash && SameGamePath(KeyOf(slot.entry - 1), key)) {
                repeated_[slot.entry - 1] = repeated_[i] = true; // the first entry stays for now
                break;
            }
        }
    }
}

void PathIndex::Choose(std::uint32_t entry)
{
    const std::string_view key = KeyOf(entry);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = GamePathHash(key) & mask;; s = (s + 1) & mask) {
        Slot& slot = slots_[s];
        if (slot.entry == 0)
            return;
        if (SameGamePath(KeyOf(slot.entry - 1), key)) {
            slot.entry = entry + 1;
            return;
        }
    }
}

std::optional<std::uint32_t> PathIndex::Find(std::string_view key) const
{
    if (slots_.empty())
        return std::nullopt;
    const std::uint32_t hash = GamePathHash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot& slot = slots_[s];
        if (slot.entry == 0)
            return std::nullopt;
        if (slot.hash == hash && SameGamePath(KeyOf(slot.entry - 1), key))
            return slot.entry - 1;
    }
}

} // namespace quarnel
