#pragma once
// The one writer of a changed record: every save of a prototype in place (the
// window, the other-fields dialog, quarnel-cli, a copy in a game's override
// folder) writes through it. One opening of the file, its length kept, only
// the span from the first to the last changed byte written.
#include "proto/ProFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace quarnel {

enum class SpanWrite {
    Written,    // the changed span was written
    Unchanged,  // the edit changed no byte of the file: nothing written
    OtherSize,  // the file no longer has the expected size: nothing written
    OtherBytes, // the file no longer holds the expected bytes: nothing written
};

struct SpanWriteRules {
    std::size_t expectedSize;
    // When set, the file must still hold exactly these bytes.
    const std::vector<std::uint8_t>* expectedBytes = nullptr;
    // The read-only attribute is cleared for the write and set again
    // afterwards, whichever way it ends, when the file had it or this is set.
    bool leaveReadOnly = true;
};

// Applies edit to the record as the file holds it now and writes the bytes
// it changed. IoError when the file cannot be opened, read or written.
SpanWrite WriteChangedSpan(const std::filesystem::path& file, const SpanWriteRules& rules,
                           const std::function<void(ProRecord&)>& edit);

// The edit that sets the bytes in which after differs from before (the same
// length), leaving every other byte as the file holds it.
std::function<void(ProRecord&)> ChangedBytesOf(const std::vector<std::uint8_t>& before,
                                               const std::vector<std::uint8_t>& after);

} // namespace quarnel
