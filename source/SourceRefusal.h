#pragma once
// A read or write that a prototype source refuses, with its kind, so that a
// caller (the window's save, the command line's all-or-nothing set) decides
// by the kind, never by the message text. what() is the message as shown.
#include <stdexcept>
#include <string>

namespace quarnel {

enum class SourceRefusalKind {
    NotFound,       // no such file, folder of *.pro, or path in the game's files
    ChangedOnDisk,  // the copy on disk no longer holds the bytes that were read
    OtherLayerWins, // another layer serves the file now than the one it was read from
    Gone,           // the file is no longer there at all
    Unreadable,     // the copy on disk can no longer be read
    FolderInTheWay, // a folder stands where the written copy goes
    NotWritable,    // the file cannot be opened for writing
    Shadowed,       // a layer the game reads first holds the file: a written copy would not be used
    WriteFailed,    // the file system refused the write
};

class SourceRefusal : public std::runtime_error {
public:
    SourceRefusal(SourceRefusalKind kind, std::string path, const std::string& message)
        : std::runtime_error(message), kind_(kind), path_(std::move(path))
    {
    }

    SourceRefusalKind kind() const { return kind_; }
    // The prototype refused, as the source names it (may be empty).
    const std::string& path() const { return path_; }

private:
    SourceRefusalKind kind_;
    std::string path_;
};

} // namespace quarnel
