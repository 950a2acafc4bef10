#pragma once
// What the ZIP reader and its extraction share: the local header's signature
// and size, and the size of the pieces a member is copied or inflated in.
#include <cstddef>
#include <cstdint>

namespace quarnel::zip_layout {

inline constexpr std::uint32_t kLocalSig = 0x04034b50;
inline constexpr std::size_t kLocalSize = 30;
inline constexpr std::size_t kChunk = 65536;

} // namespace quarnel::zip_layout
