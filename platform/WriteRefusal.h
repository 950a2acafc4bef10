#pragma once
// A write refused before anything was written: what stands in the way, at
// which path, and why in words. Callers decide by the kind, never by the text.
#include "platform/Refusal.h"

#include <filesystem>
#include <string>

namespace quarnel {

// The kinds a write refusal takes: Link, Folder, FileInTheWay, NotRegularFile
// and NotWritable.
using WriteRefusalKind = RefusalKind;

class WriteRefusedError : public Refusal {
public:
    // what() is "<path>: <reason>", the path named once.
    WriteRefusedError(RefusalKind kind, std::filesystem::path path, std::string reason);

    RefusalKind kind() const { return Kind(); }
    const std::filesystem::path& path() const { return Path(); }
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

} // namespace quarnel
