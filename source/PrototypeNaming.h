#pragma once
// A prototype's name and description: the texts of its text ID and of the
// next number in its type's message file. Setting them is worked out first
// (every refusal before anything is written), then asked about (a copy the
// game would not use), then written, so that the window can ask Yes/No in
// between and the command line can refuse without --force.
#include "source/PrototypeSource.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quarnel {

// New texts as UTF-8; none keeps the text as it is.
struct NameEdit {
    std::optional<std::string> name;
    std::optional<std::string> description;
};

struct RenamePlan {
    SourceFile file;         // the prototype named
    std::int32_t textId = 0; // the name's number; the description's is the next
    MessageFileRef messages; // the message file written
    std::string before;      // its bytes as read
    std::string after;       // with the changed texts; equal to before when nothing changes
    bool Changes() const { return before != after; }
};

// The text ID of a prototype record (bytes 4 to 7, big-endian) and its type
// (the PID's first byte). Refusal (Damaged) when the bytes hold neither.
std::int32_t RecordTextId(const std::vector<std::uint8_t>& bytes);
ProtoType RecordType(const std::vector<std::uint8_t>& bytes);

// The texts a message file holds for a text ID: name and description, as
// UTF-8 in the encoding the file is written in (none where it has no entry).
NameEdit TextsOf(const std::string& messageBytes, std::int32_t textId, NameEncoding encoding);

// The encoding texts are written in for a message file of the source:
// chosen, else the file's own (MessageWriteEncoding).
NameEncoding WriteEncodingOf(const MessageFileRef& messages, const std::string& bytes, NameEncoding chosen);

// Works out the change, writing nothing. messages: the file the user named;
// none: the source's message file of the prototype's type (SourceRefusal
// NotFound when it has none). Only a text that differs from the file's is
// changed. Refusal (Invalid) "name: ..." or "description: ..." for a text the
// game would read otherwise; (Damaged) for a message file with a fault; the
// reading's own errors.
RenamePlan PlanRename(const PrototypeSource& source, const SourceFile& file, const NameEdit& edit,
                      const std::optional<MessageFileRef>& messages, NameEncoding chosen);

// The question before the write (a copy the game would not use); none when
// nothing is written or the game would use it.
std::optional<std::string> RenameQuestion(const PrototypeSource& source, const RenamePlan& plan);

// Writes the message file when it changes. The source's refusals
// (SourceRefusal) writing nothing; changed false when nothing differed.
SourceWrite WriteRename(const PrototypeSource& source, const RenamePlan& plan, bool force);

} // namespace quarnel
