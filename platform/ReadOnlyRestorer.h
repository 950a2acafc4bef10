#pragma once
// Gives a prototype file its read-only attribute back when the operation
// that cleared it ends, whichever way it ends.
#include "platform/FileAttributes.h"

#include <filesystem>

namespace quarnel {

class ReadOnlyRestorer {
public:
    explicit ReadOnlyRestorer(std::filesystem::path file) : file_(std::move(file)) { SetArchiveOnly(file_); }
    ~ReadOnlyRestorer() { SetReadOnlyOnly(file_); }
    ReadOnlyRestorer(const ReadOnlyRestorer&) = delete;
    ReadOnlyRestorer& operator=(const ReadOnlyRestorer&) = delete;

private:
    std::filesystem::path file_;
};

} // namespace quarnel
