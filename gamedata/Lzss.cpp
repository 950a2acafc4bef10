#include "gamedata/Decompressors.h"

#include <cstring>

namespace quarnel {
namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::size_t kRingMask = kRingSize - 1;
constexpr std::size_t kRingStart = 4078; // the blanks end here, writing starts here

} // namespace

const char* DecodeStatusText(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return "no fault";
    case DecodeStatus::InputEnded: return "the packed data ends before the unpacked size is reached";
    case DecodeStatus::RunsOn: return "the packed data runs on past the unpacked size";
    case DecodeStatus::Damaged: return "the packed data is damaged";
    }
    return "the packed data is damaged";
}

DecodeStatus DecodeLzss(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize,
                        std::size_t& produced)
{
    std::uint8_t ring[kRingSize];
    std::memset(ring, ' ', kRingStart);
    std::memset(ring + kRingStart, 0, kRingSize - kRingStart);
    std::size_t r = kRingStart;
    std::size_t ip = 0;
    std::size_t op = 0;
    DecodeStatus status = DecodeStatus::Ok;
    while (ip < inSize) {
        unsigned flags = in[ip++];
        for (int bit = 0; bit < 8 && ip < inSize; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (op == outSize) {
                    status = DecodeStatus::RunsOn;
                    goto done;
                }
                const std::uint8_t b = in[ip++];
                out[op++] = b;
                ring[r] = b;
                r = (r + 1) & kRingMask;
            } else {
                if (inSize - ip < 2) {
                    status = DecodeStatus::InputEnded;
                    goto done;
                }
                const unsigned lo = in[ip];
                const unsigned hi = in[ip + 1];
                ip += 2;
                std::size_t pos = lo | ((hi & 0xF0u) << 4);
                const std::size_t length = (hi & 0x0Fu) + 3;
                if (length > outSize - op) {
                    status = DecodeStatus::RunsOn;
                    goto done;
                }
                // Byte by byte: a source that overlaps the bytes being written repeats them.
                for (std::size_t k = 0; k < length; ++k) {
                    const std::uint8_t b = ring[pos];
                    pos = (pos + 1) & kRingMask;
                    out[op++] = b;
                    ring[r] = b;
                    r = (r + 1) & kRingMask;
                }
            }
        }
    }
done:
    produced = op;
    return status;
}

DecodeStatus DecodeLzssExact(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize)
{
    std::size_t produced = 0;
    const DecodeStatus status = DecodeLzss(in, inSize, out, outSize, produced);
    if (status != DecodeStatus::Ok)
        return status;
    return produced == outSize ? DecodeStatus::Ok : DecodeStatus::InputEnded;
}

DecodeStatus DecodeLzssChunks(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize)
{
    std::size_t ip = 0;
    std::size_t op = 0;
    while (op < outSize) {
        if (inSize - ip < 2)
            return DecodeStatus::InputEnded;
        const unsigned h = (static_cast<unsigned>(in[ip]) << 8) | in[ip + 1];
        ip += 2;
        if (h & 0x8000u) {
            const std::size_t n = h & 0x7FFFu;
            if (n > inSize - ip)
                return DecodeStatus::InputEnded;
            if (n > outSize - op)
                return DecodeStatus::RunsOn;
            std::memcpy(out + op, in + ip, n);
            op += n;
            ip += n;
        } else {
            if (h > inSize - ip)
                return DecodeStatus::InputEnded;
            std::size_t produced = 0;
            const DecodeStatus status = DecodeLzss(in + ip, h, out + op, outSize - op, produced);
            if (status != DecodeStatus::Ok)
                return status;
            op += produced;
            ip += h;
        }
    }
    return DecodeStatus::Ok;
}

} // namespace quarnel
