#include "cli/PrototypeNames.h"

#include "cli/Commands.h"
#include "platform/Utf8.h"

namespace quarnel::cli {

const CritterNames* PrototypeNames::Load(const std::string& key, const std::string& label,
                                         const std::function<std::string()>& read, const std::string& language,
                                         NameEncoding encoding)
{
    const auto known = loaded_.find(key);
    if (known != loaded_.end())
        return known->second ? &*known->second : nullptr;
    std::optional<CritterNames>& names = loaded_[key];
    try {
        names = MessageFileNames(read(), label, encoding, language);
        if (names->fault)
            ReportError(err_, MessageFaultPlace(label, *names->fault),
                        names->fault->what + " (names after it not shown)");
    } catch (const std::exception& error) {
        ReportError(err_, label, std::string(error.what()) + " (no names shown)");
        names.reset();
    }
    return names ? &*names : nullptr;
}

const CritterNames* PrototypeNames::Names(const SourceFile& file, ProtoType type)
{
    // The lookup of a folder's message file is remembered: a show of a whole folder searches once.
    const std::string folderKey = Utf8FromPath(file.file.parent_path()) + "|" + TypeKey(type);
    auto found = messageFiles_.find(folderKey);
    if (found == messageFiles_.end())
        found = messageFiles_.emplace(folderKey, source_.MessageFileOf(file, type)).first;
    if (!found->second)
        return nullptr;
    const MessageFileRef& messages = *found->second;
    return Load(
        messages.label, messages.label, [&] { return source_.ReadMessageFile(messages); }, messages.language,
        messages.encoding);
}

std::string PrototypeNames::HeaderLines(const SourceFile& file, const Prototype& prototype)
{
    const CritterNames* names = Names(file, prototype.kind.type);
    if (!names)
        return {};
    const RecordField& textId = *FindKindField(prototype.kind, "text_id");
    const std::int64_t id = FieldValue(prototype.record, textId);
    std::string lines;
    const std::pair<const char*, std::int64_t> entries[] = {{"name", id}, {"description", id + 1}};
    for (const auto& [what, number] : entries) {
        const std::string raw = names->table.Lookup(std::to_string(number));
        if (!raw.empty())
            lines += std::string("# ") + what + ": " + DecodeName(raw, names->encoding) + "\n";
    }
    return lines;
}

} // namespace quarnel::cli
