#pragma once
// A write refused before anything was written: what stands in the way, at
// which path, and why in words. Callers decide by the kind, never by the text.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace quarnel {

enum class WriteRefusalKind {
    Link,           // a symbolic link (or, on Windows, a reparse point): never written through nor replaced
    Folder,         // a folder where a file should go
    FileInTheWay,   // a file where a folder should go
    NotRegularFile, // a device, FIFO or socket
    NotWritable,    // the file or its folder may not be written
};

class WriteRefusedError : public std::runtime_error {
public:
    // what() is "<path>: <reason>", the path named once.
    WriteRefusedError(WriteRefusalKind kind, std::filesystem::path path, std::string reason);

    WriteRefusalKind kind() const { return kind_; }
    const std::filesystem::path& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    WriteRefusalKind kind_;
    std::filesystem::path path_;
    std::string reason_;
};

} // namespace quarnel
