#pragma once
// The LZSS scheme of the first game's archives, written: the inverse of
// DecodeLzss and DecodeLzssChunks (Decompressors.h). A 4096-byte ring that
// starts writing at 4078; references of 3 to 18 bytes to the last 4096 bytes
// written. Matches are found through hash chains over 3-byte prefixes, and
// taken lazily: a match gives way when the next byte starts a longer one.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel {

// The most bytes one chunk of the chunked form unpacks to. Its stream then
// takes at most 16384 + 2048 bytes, well inside the chunk header's 15 bits.
constexpr std::size_t kLzssChunkSize = 16384;

// One LZSS stream of the bytes, appended to out. References only reach back
// to bytes of the input itself, never into the ring's starting blanks.
void EncodeLzss(const std::uint8_t* in, std::size_t size, std::vector<std::uint8_t>& out);

// The chunked form: the input cut into pieces of kLzssChunkSize bytes (the
// last shorter), each one LZSS chunk (a big-endian 16-bit stream length,
// high bit clear, then the stream with a fresh ring).
std::vector<std::uint8_t> EncodeLzssChunks(const std::uint8_t* in, std::size_t size);

} // namespace quarnel
