#pragma once
// A new prototype made from an existing one in a game's tree, as the games
// number them: its number is the line count of the type's list file + 1,
// its file proto/<type>/<number, 8 digits>.pro in the override folder (a
// byte copy, read-only, with the PID's number and the text ID = number * 100
// changed), the list file's new line names it, and its name and description
// go to the text ID and the next number of the type's message file.
// Worked out first (every refusal before anything is written), asked about,
// then written, so that the window can ask Yes/No in between.
#include "source/PrototypeNaming.h"
#include "source/TreeSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

// The largest PID number: the low 24 bits of a PID.
inline constexpr std::uint32_t kLargestPidNumber = 0xFFFFFF;

struct NewPrototypePlan {
    SourceFile from;
    ProtoType type = ProtoType::Item;
    std::uint32_t number = 0;        // the PID's number and the list's new line
    std::int32_t textId = 0;         // number * 100
    std::string path;                // proto/<type folder>/<number>.pro
    std::vector<std::uint8_t> bytes; // the new record
    std::string listPath;            // as the tree names it
    std::string listBefore, listAfter;
    MessageFileRef messages;
    std::string messagesBefore, messagesAfter;
};

// Works out the new prototype, writing nothing. The texts not given are the
// copied prototype's. Refusal (Invalid) for a number past kLargestPidNumber,
// a text ID (or the next) already used in the message file, a file of that
// number already in the tree, a text the game would read otherwise;
// SourceRefusal NotFound when the tree lacks the list or message file.
NewPrototypePlan PlanNewPrototype(const TreeSource& source, const SourceFile& from, const NameEdit& edit,
                                  NameEncoding chosen);

// The question before the writes: the list file or message file is held by
// a layer the game reads before the override folder (one line each); none
// when the game would use every file written.
std::optional<std::string> NewPrototypeQuestion(const TreeSource& source, const NewPrototypePlan& plan);

// Checks every write first (SourceRefusal Shadowed unless force, Changed
// when the new file's path is taken now; WriteRefusedError for a place that
// cannot be written; nothing written then), then
// writes the prototype, the message file and the list file, in that order.
// A write that fails then throws SourceRefusal naming what was written and
// what was not. Returns the new prototype.
SourceFile WriteNewPrototype(const TreeSource& source, const NewPrototypePlan& plan, bool force);

} // namespace quarnel
