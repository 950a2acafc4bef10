#pragma once
// One type for everything the core refuses: what kind of refusal it is, the
// path it concerns (empty when the message names no single file) and the
// message shown to the user. Callers decide by the kind, never by the text.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace quarnel {

enum class RefusalKind {
    NotFound,       // nothing is there ("File not found")
    Io,             // the system refused an input/output operation (an error number)
    Folder,         // a folder where a file should be
    FileInTheWay,   // a file where a folder should be
    NotRegularFile, // a device, FIFO or socket
    Link,           // a symbolic link (or, on Windows, a reparse point): never written through nor replaced
    NotWritable,    // the file or its folder may not be written
    TooLarge,       // more bytes than the reader takes
    Damaged,        // the bytes are not what their format says (archives, pictures, records)
    NotCritter,     // a record of no critter's size that is no prototype of another type either
    Shadowed,       // an archive read first holds the file, so a copy in the override folder would not count
    Changed,        // the file changed since it was read; nothing written
    Gone,           // the file that was read is no longer there
    OtherLayerWins, // another layer of a game's files serves the file now than the one it was read from
    Unreadable,     // the copy on disk can no longer be read
    WriteFailed,    // the file system refused a write
    Invalid,        // a text or argument that is not a valid value
};

class Refusal : public std::runtime_error {
public:
    Refusal(RefusalKind kind, const std::string& message, std::filesystem::path path = {})
        : std::runtime_error(message), kind_(kind), path_(std::move(path))
    {
    }

    RefusalKind Kind() const { return kind_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    RefusalKind kind_;
    std::filesystem::path path_;
};

} // namespace quarnel
