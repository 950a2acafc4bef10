#include "source/NewPrototype.h"

#include "gamedata/OverrideWriter.h"
#include "library/MessageFile.h"
#include "library/MessageFileEdit.h"
#include "library/TreeCritterList.h"
#include "library/TreeTypeList.h"
#include "platform/Errors.h"
#include "platform/IntegerText.h"
#include "platform/Utf8.h"
#include "proto/ProLayout.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>

namespace quarnel {
namespace {

std::string AsText(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<std::uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::size_t offset, int width, std::uint32_t value)
{
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[offset + i] = static_cast<std::uint8_t>(value & 0xFF);
}

std::string FileNameOf(std::uint32_t number)
{
    char name[24];
    std::snprintf(name, sizeof name, "%08u.pro", static_cast<unsigned>(number));
    return name;
}

// The lines of a list file as ListFileNames counts them (a final line end
// starts no line), without holding a name per line.
std::size_t ListLineCount(std::string_view list)
{
    const auto ends = static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n'));
    return ends + (!list.empty() && list.back() != '\n' ? 1 : 0);
}

// The list with a line naming the file added at the end, in the list's own line ending.
std::string ListWithLine(const std::string& list, const std::string& name)
{
    const std::string_view ending = FileLineEnding(list);
    std::string after = list;
    if (!after.empty() && after.back() != '\n')
        after += ending;
    return after + name + std::string(ending);
}

} // namespace

NewPrototypePlan PlanNewPrototype(const TreeSource& source, const SourceFile& from, const NameEdit& edit,
                                  NameEncoding chosen)
{
    const GameTree& tree = source.Tree();
    NewPrototypePlan plan;
    plan.from = from;
    const LoadedPrototype loaded = source.Read(from);
    plan.type = RecordType(loaded.bytes);
    const std::int32_t fromTextId = RecordTextId(loaded.bytes);

    const std::string list = TypeListPath(plan.type);
    const auto listed = tree.Find(list);
    if (!listed)
        throw SourceRefusal(RefusalKind::NotFound, list,
                            list + ": not in the game's files; a new prototype needs its line");
    plan.listPath = listed->path;
    plan.listBefore = AsText(tree.Read(list));
    const std::size_t lines = ListLineCount(plan.listBefore);
    if (lines + 1 > kLargestPidNumber)
        throw SourceRefusal(RefusalKind::Invalid, plan.listPath,
                            plan.listPath + " has " + std::to_string(lines) + " lines; the next number, " +
                                std::to_string(lines + 1) + ", does not fit a PID (at most " +
                                std::to_string(kLargestPidNumber) + ")");
    plan.number = static_cast<std::uint32_t>(lines + 1);
    plan.textId = static_cast<std::int32_t>(plan.number) * 100;
    plan.path = std::string("proto/") + TypeFolder(plan.type) + "/" + FileNameOf(plan.number);
    if (const auto taken = tree.Find(plan.path))
        throw SourceRefusal(RefusalKind::Invalid, plan.path,
                            plan.path + " is already in " + taken->layer->Name() + ", though " + plan.listPath +
                                " has no line " + std::to_string(plan.number));
    plan.listAfter = ListWithLine(plan.listBefore, FileNameOf(plan.number));

    const auto messages = source.MessageFileOf(from, plan.type);
    if (!messages)
        throw SourceRefusal(RefusalKind::NotFound, TypeMessageFile(plan.type),
                            std::string("no text/") + tree.Language() + "/game/" + TypeMessageFile(plan.type) +
                                " in the game's files for the new prototype's name");
    plan.messages = *messages;
    plan.messagesBefore = source.ReadMessageFile(plan.messages);
    const MessageFileResult current = ParseMessageText(plan.messagesBefore);
    for (const std::int32_t used : {plan.textId, plan.textId + 1})
        for (const MessageEntry& entry : current.entries)
            if (entry.key == IntToStr(used))
                throw SourceRefusal(RefusalKind::Invalid, plan.messages.label,
                                    "text ID " + entry.key + " is already used in " + plan.messages.label + " (line " +
                                        std::to_string(entry.line) + ")");

    const NameEncoding encoding = WriteEncodingOf(plan.messages, plan.messagesBefore, chosen);
    const NameEdit copied = TextsOf(plan.messagesBefore, fromTextId, encoding);
    std::vector<MessageTextEdit> edits;
    const struct {
        const std::optional<std::string>& text;
        std::int32_t number;
        const char* what;
    } texts[] = {{edit.name ? edit.name : copied.name, plan.textId, "name"},
                 {edit.description ? edit.description : copied.description, plan.textId + 1, "description"}};
    for (const auto& text : texts) {
        if (!text.text)
            continue;
        try {
            MessageTextBytes(*text.text, encoding);
        } catch (const Refusal& refusal) {
            throw Refusal(refusal.Kind(), std::string(text.what) + ": " + refusal.what());
        }
        edits.push_back({text.number, *text.text});
    }
    plan.messagesAfter = edits.empty() ? plan.messagesBefore
                                       : EditMessageBytes(plan.messagesBefore, edits, encoding, plan.messages.label);

    plan.bytes = loaded.bytes;
    PutBigEndian(plan.bytes, 1, 3, plan.number);
    PutBigEndian(plan.bytes, kTextIdOffset, 4, static_cast<std::uint32_t>(plan.textId));
    return plan;
}

std::optional<std::string> NewPrototypeQuestion(const TreeSource& source, const NewPrototypePlan& plan)
{
    std::string question;
    for (const std::string& path : {plan.listPath, plan.messages.label}) {
        if (const auto asked = ShadowedSaveQuestion(source.Tree(), path))
            question += (question.empty() ? "" : "\n") + *asked;
    }
    if (question.empty())
        return std::nullopt;
    return question;
}

SourceFile WriteNewPrototype(const TreeSource& source, const NewPrototypePlan& plan, bool force)
{
    const GameTree& tree = source.Tree();
    // Every place checked before the first write.
    const bool messagesChange = plan.messagesBefore != plan.messagesAfter;
    std::string checking = plan.path;
    try {
        CheckNewInOverride(tree, plan.path);
        if (messagesChange) {
            checking = plan.messages.label;
            CheckOverrideWrite(tree, plan.messages.label, force);
        }
        checking = plan.listPath;
        CheckOverrideWrite(tree, plan.listPath, force);
    } catch (const ArchiveError& error) {
        throw SourceRefusal(error.Kind(), checking, error.what());
    }
    // The files as they were worked out from, or the new line and names could land elsewhere.
    for (const auto& [path, before] :
         {std::pair{plan.listPath, &plan.listBefore}, std::pair{plan.messages.label, &plan.messagesBefore}})
        if (AsText(tree.Read(path)) != *before)
            throw SourceRefusal(RefusalKind::Changed, path, path + ": changed since it was read; nothing written");

    // The list last: its line is what makes the game load the new prototype.
    std::vector<std::string> written;
    std::vector<std::pair<std::string, std::function<void()>>> writes;
    writes.emplace_back(plan.path, [&] { CreateInOverride(tree, plan.path, plan.bytes, true); });
    if (messagesChange)
        writes.emplace_back(plan.messages.label, [&] {
            ReplaceInOverride(tree, plan.messages.label, AsBytes(plan.messagesBefore), AsBytes(plan.messagesAfter),
                              force);
        });
    writes.emplace_back(plan.listPath, [&] {
        ReplaceInOverride(tree, plan.listPath, AsBytes(plan.listBefore), AsBytes(plan.listAfter), force);
    });
    for (std::size_t i = 0; i < writes.size(); ++i) {
        try {
            writes[i].second();
            written.push_back(writes[i].first);
        } catch (const std::exception& error) {
            const std::string what = error.what();
            std::string text = what.rfind(writes[i].first, 0) == 0 ? what : writes[i].first + ": " + what;
            text += "; written: ";
            text += written.empty() ? std::string("nothing") : "";
            for (std::size_t w = 0; w < written.size(); ++w)
                text += (w ? ", " : "") + written[w];
            text += "; not written:";
            for (std::size_t n = i; n < writes.size(); ++n)
                text += (n > i ? ", " : " ") + writes[n].first;
            const auto* refusal = dynamic_cast<const Refusal*>(&error);
            std::throw_with_nested(
                SourceRefusal(refusal ? refusal->Kind() : RefusalKind::WriteFailed, writes[i].first, text));
        }
    }
    for (const std::string& path : {plan.path, plan.messages.label, plan.listPath})
        source.Refresh({PathFromUtf8(path), path});
    return {PathFromUtf8(plan.path), plan.path};
}

} // namespace quarnel
