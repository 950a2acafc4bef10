#include "source/PrototypeNaming.h"

#include "library/MessageFile.h"
#include "library/MessageFileEdit.h"
#include "platform/IntegerText.h"
#include "proto/ProLayout.h"

#include <set>

namespace quarnel {
namespace {

// The edits of the texts that differ from the file's (a missing entry differs from every text).
std::vector<MessageTextEdit> ChangedTexts(const std::string& bytes, std::int32_t textId, const NameEdit& edit,
                                          NameEncoding encoding)
{
    const MessageFileResult current = ParseMessageText(bytes);
    std::set<std::string> present;
    for (const MessageEntry& entry : current.entries)
        present.insert(entry.key);
    std::vector<MessageTextEdit> edits;
    const struct {
        const std::optional<std::string>& text;
        std::int32_t number;
        const char* what;
    } texts[] = {{edit.name, textId, "name"}, {edit.description, textId + 1, "description"}};
    for (const auto& text : texts) {
        if (!text.text)
            continue;
        std::string raw;
        try {
            raw = MessageTextBytes(*text.text, encoding);
        } catch (const Refusal& refusal) {
            throw Refusal(refusal.Kind(), std::string(text.what) + ": " + refusal.what());
        }
        const std::string key = IntToStr(text.number);
        if (!present.count(key) || current.table.Lookup(key) != raw)
            edits.push_back({text.number, *text.text});
    }
    return edits;
}

} // namespace

std::int32_t RecordTextId(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < std::size_t(kTextIdOffset + 4))
        throw Refusal(RefusalKind::Damaged, std::to_string(bytes.size()) + " bytes: no text ID");
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | bytes[kTextIdOffset + i];
    return static_cast<std::int32_t>(value);
}

ProtoType RecordType(const std::vector<std::uint8_t>& bytes)
{
    // A critter's size is a critter whatever its type byte, as everywhere else.
    if (IsCritterRecordSize(static_cast<long long>(bytes.size())))
        return ProtoType::Critter;
    if (bytes.empty() || bytes[0] >= kProtoTypeCount)
        throw Refusal(RefusalKind::Damaged, "the PID's type byte names no prototype type");
    return static_cast<ProtoType>(bytes[0]);
}

NameEdit TextsOf(const std::string& messageBytes, std::int32_t textId, NameEncoding encoding)
{
    const MessageFileResult messages = ParseMessageText(messageBytes);
    NameEdit texts;
    for (const MessageEntry& entry : messages.entries) {
        if (entry.key == IntToStr(textId))
            texts.name = DecodeName(entry.text, encoding);
        else if (entry.key == IntToStr(textId + 1))
            texts.description = DecodeName(entry.text, encoding);
    }
    return texts;
}

NameEncoding WriteEncodingOf(const MessageFileRef& messages, const std::string& bytes, NameEncoding chosen)
{
    return MessageWriteEncoding(bytes, messages.language,
                                chosen != NameEncoding::Automatic ? chosen : messages.encoding);
}

RenamePlan PlanRename(const PrototypeSource& source, const SourceFile& file, const NameEdit& edit,
                      const std::optional<MessageFileRef>& messages, NameEncoding chosen)
{
    RenamePlan plan;
    plan.file = file;
    const LoadedPrototype loaded = source.Read(file);
    plan.textId = RecordTextId(loaded.bytes);
    if (messages) {
        plan.messages = *messages;
    } else if (const auto own = source.MessageFileOf(file, RecordType(loaded.bytes))) {
        plan.messages = *own;
    } else {
        throw SourceRefusal(RefusalKind::NotFound, file.label,
                            std::string("no ") + TypeMessageFile(RecordType(loaded.bytes)) +
                                " for its names (name the message file)");
    }
    plan.before = source.ReadMessageFile(plan.messages);
    const NameEncoding encoding = WriteEncodingOf(plan.messages, plan.before, chosen);
    const std::vector<MessageTextEdit> edits = ChangedTexts(plan.before, plan.textId, edit, encoding);
    plan.after = edits.empty() ? plan.before : EditMessageBytes(plan.before, edits, encoding, plan.messages.label);
    return plan;
}

std::optional<std::string> RenameQuestion(const PrototypeSource& source, const RenamePlan& plan)
{
    if (!plan.Changes())
        return std::nullopt;
    return source.MessageWriteQuestion(plan.messages);
}

SourceWrite WriteRename(const PrototypeSource& source, const RenamePlan& plan, bool force)
{
    if (!plan.Changes())
        return {plan.messages.label, false};
    source.CheckMessageWritable(plan.messages, force);
    return source.WriteMessageFile(plan.messages, plan.before, plan.after, force);
}

} // namespace quarnel
