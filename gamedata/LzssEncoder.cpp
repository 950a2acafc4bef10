#include "gamedata/LzssEncoder.h"

#include <algorithm>
#include <array>

namespace quarnel {
namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::size_t kRingMask = kRingSize - 1;
constexpr std::size_t kRingStart = 4078; // where the decoder writes its first byte
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
// A reference reaches no further back than the ring holds ahead of the
// bytes it writes, so that no decoder can overwrite its source first.
constexpr std::size_t kMaxDistance = kRingSize - kMaxMatch;
constexpr unsigned kHashBits = 13;
// Candidates looked at per position: enough for nearly every best match in
// a 4 KiB window, few enough to keep the encoder fast.
constexpr int kMaxCandidates = 48;

struct Match {
    std::size_t length = 0;
    std::size_t distance = 0;
};

// The earlier positions of the last 4096 bytes, chained by the hash of
// their first three bytes; newest first.
class MatchFinder {
public:
    MatchFinder(const std::uint8_t* in, std::size_t size) : in_(in), size_(size) { head_.fill(kNone); }

    // Makes pos a candidate for later positions.
    void Insert(std::size_t pos)
    {
        if (size_ - pos < kMinMatch)
            return;
        const std::uint32_t h = Hash(pos);
        previous_[pos & kRingMask] = head_[h];
        head_[h] = static_cast<std::int64_t>(pos);
    }

    // The longest match for the bytes at pos among the inserted positions
    // (of equal lengths, the nearest); length 0 when none reaches three bytes.
    Match Find(std::size_t pos) const
    {
        Match best;
        if (pos >= size_ || size_ - pos < kMinMatch)
            return best;
        const std::size_t limit = std::min(kMaxMatch, size_ - pos);
        const std::uint8_t* here = in_ + pos;
        std::int64_t candidate = head_[Hash(pos)];
        for (int tries = kMaxCandidates; candidate != kNone && tries > 0; --tries) {
            const auto from = static_cast<std::size_t>(candidate);
            if (pos - from > kMaxDistance)
                break; // older ones are further still, and their links may be reused
            const std::uint8_t* there = in_ + from;
            if (there[best.length] == here[best.length]) {
                std::size_t length = 0;
                while (length < limit && there[length] == here[length])
                    ++length;
                if (length > best.length) {
                    best = {length, pos - from};
                    if (length == limit)
                        break;
                }
            }
            candidate = previous_[from & kRingMask];
        }
        if (best.length < kMinMatch)
            best = {};
        return best;
    }

private:
    static constexpr std::int64_t kNone = -1;

    std::uint32_t Hash(std::size_t pos) const
    {
        const std::uint32_t v = std::uint32_t{in_[pos]} << 16 | std::uint32_t{in_[pos + 1]} << 8 | in_[pos + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const std::uint8_t* in_;
    std::size_t size_;
    std::array<std::int64_t, std::size_t{1} << kHashBits> head_;
    std::array<std::int64_t, kRingSize> previous_{};
};

// Items behind their flag bytes: bit i of a flag byte (lowest first) tells
// whether its i-th item is a literal.
class ItemWriter {
public:
    explicit ItemWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void Literal(std::uint8_t byte)
    {
        Flag(true);
        out_.push_back(byte);
    }

    // A reference to the bytes distance back from input position pos.
    void Reference(std::size_t pos, const Match& match)
    {
        Flag(false);
        const std::size_t ring = (kRingStart + pos - match.distance) & kRingMask;
        out_.push_back(static_cast<std::uint8_t>(ring & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(((ring >> 4) & 0xF0) | (match.length - kMinMatch)));
    }

private:
    void Flag(bool literal)
    {
        if (bit_ == 8) {
            flagAt_ = out_.size();
            out_.push_back(0);
            bit_ = 0;
        }
        if (literal)
            out_[flagAt_] |= static_cast<std::uint8_t>(1u << bit_);
        ++bit_;
    }

    std::vector<std::uint8_t>& out_;
    std::size_t flagAt_ = 0;
    int bit_ = 8;
};

} // namespace

void EncodeLzss(const std::uint8_t* in, std::size_t size, std::vector<std::uint8_t>& out)
{
    MatchFinder finder(in, size);
    ItemWriter items(out);
    std::size_t pos = 0;
    Match current = finder.Find(pos);
    while (pos < size) {
        finder.Insert(pos);
        if (current.length == 0) {
            items.Literal(in[pos]);
            current = finder.Find(++pos);
            continue;
        }
        if (current.length < kMaxMatch) {
            // Lazy: a longer match one byte on is worth a literal first.
            const Match next = finder.Find(pos + 1);
            if (next.length > current.length) {
                items.Literal(in[pos]);
                ++pos;
                current = next;
                continue;
            }
        }
        items.Reference(pos, current);
        for (std::size_t k = 1; k < current.length; ++k)
            finder.Insert(pos + k);
        pos += current.length;
        current = finder.Find(pos);
    }
}

std::vector<std::uint8_t> EncodeLzssChunks(const std::uint8_t* in, std::size_t size)
{
    std::vector<std::uint8_t> out;
    out.reserve(size / 2 + 64);
    for (std::size_t start = 0; start < size; start += kLzssChunkSize) {
        const std::size_t header = out.size();
        out.resize(header + 2);
        EncodeLzss(in + start, std::min(kLzssChunkSize, size - start), out);
        const std::size_t length = out.size() - header - 2;
        out[header] = static_cast<std::uint8_t>(length >> 8);
        out[header + 1] = static_cast<std::uint8_t>(length & 0xFF);
    }
    return out;
}

} // namespace quarnel
