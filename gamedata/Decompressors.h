#pragma once
// The decoders of archive entries. Each writes into a buffer the caller has
// sized to the entry's unpacked size, never past it, and says how the
// stream ended; none of them allocates per byte.
#include <cstddef>
#include <cstdint>

namespace quarnel {

enum class DecodeStatus {
    Ok,
    InputEnded, // the packed data ends before the unpacked size is reached
    RunsOn,     // the packed data goes on past the unpacked size
    Damaged,    // the packed data is not a valid stream
};

// The text of a failed status, for the archive's error message.
const char* DecodeStatusText(DecodeStatus status);

// One LZSS stream: a 4096-byte ring whose first 4078 bytes are blanks,
// writing from position 4078; flag bits lowest first, 1 a literal byte, 0 a
// two-byte reference (ring position lo | (hi & 0xF0) << 4, length (hi & 0x0F) + 3).
// The whole input is decoded; produced receives the bytes written. RunsOn
// when the stream would write more than outSize; an item cut short by the
// end of the input is InputEnded.
DecodeStatus DecodeLzss(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize,
                        std::size_t& produced);

// A stream that must fill the output exactly (InputEnded when it ends short).
DecodeStatus DecodeLzssExact(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

// The chunked form of the first game's archives: chunks, each led by a
// big-endian 16-bit number h; h & 0x8000: the next h & 0x7FFF bytes are
// stored, else the next h bytes are one LZSS stream with a fresh ring.
// Chunks are read until outSize bytes are out.
DecodeStatus DecodeLzssChunks(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

// One zlib stream (with its header) that must give exactly outSize bytes.
DecodeStatus DecodeZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

} // namespace quarnel
