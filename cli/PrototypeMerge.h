#pragma once
// Three-way merge of one prototype, field by field: two versions (ours and
// theirs) of a common base, all of one kind and size. A field that one side
// changed takes that change; a field both changed alike takes it once; a
// field both changed differently is a conflict and keeps ours. Bytes that no
// field of the kind covers are merged as runs of bytes in the same way, so
// that nothing is lost.
#include "proto/RecordFields.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarnel::cli {

struct MergeConflict {
    std::string key; // the field's key, or "bytes 12-15" for bytes no field covers
    std::string base;
    std::string ours;
    std::string theirs;
};

struct PrototypeMergeResult {
    std::vector<std::uint8_t> bytes; // the merged record
    std::vector<MergeConflict> conflicts;
};

// The three must be of one kind and one record size (the caller checks).
PrototypeMergeResult MergePrototypes(const Prototype& base, const Prototype& ours, const Prototype& theirs);

} // namespace quarnel::cli
