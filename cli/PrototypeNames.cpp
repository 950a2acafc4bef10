#include "cli/PrototypeNames.h"

#include "cli/Commands.h"
#include "gamedata/GamePath.h"
#include "library/IniFile.h"
#include "platform/RegularFile.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

// The entries of a folder whose name is name in any case, folders or files, in name order.
std::vector<fs::path> EntriesNamed(const fs::path& folder, const std::string& name, bool folders)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if ((folders ? it->is_directory(kind) : it->is_regular_file(kind)) &&
            (name.empty() || IniUpperCase(Utf8FromPath(it->path().filename())) == IniUpperCase(name)))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

fs::path MessageFileAbove(const fs::path& file, ProtoType type, std::string* language)
{
    std::error_code ec;
    const fs::path folder = fs::absolute(file, ec).lexically_normal().parent_path();
    if (ec || IniUpperCase(Utf8FromPath(folder.parent_path().filename())) != "PROTO")
        return {};
    const fs::path tree = folder.parent_path().parent_path();
    for (const fs::path& text : EntriesNamed(tree, "text", true)) {
        std::vector<fs::path> languages = EntriesNamed(text, "", true);
        // english first, as the games fall back to it
        std::stable_partition(languages.begin(), languages.end(), [](const fs::path& path) {
            return IniUpperCase(Utf8FromPath(path.filename())) == "ENGLISH";
        });
        for (const fs::path& languageFolder : languages)
            for (const fs::path& game : EntriesNamed(languageFolder, "game", true))
                for (const fs::path& messages : EntriesNamed(game, TypeMessageFile(type), false)) {
                    if (language)
                        *language = Utf8FromPath(languageFolder.filename());
                    return messages;
                }
    }
    return {};
}

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

const CritterNames* PrototypeNames::Names(const CritterFile& file, ProtoType type)
{
    if (tree_) {
        const auto path = tree_->MessageFile(TypeMessageFile(type));
        if (!path)
            return nullptr;
        return Load(
            *path, *path, [&] { return ReadTreeMessageFileBytes(*tree_, *path); }, LanguageOfTextPath(*path),
            TreeMessageEncoding(*tree_, *path, NameEncoding::Automatic));
    }
    // The lookup of a folder's message file is remembered: a show of a whole folder searches once.
    const std::string folderKey = Utf8FromPath(file.path.parent_path()) + "|" + TypeKey(type);
    auto found = messageFiles_.find(folderKey);
    std::string language;
    if (found == messageFiles_.end()) {
        const fs::path messages = MessageFileAbove(file.path, type, &language);
        found =
            messageFiles_.emplace(folderKey, messages.empty() ? std::string() : Utf8FromPath(messages) + "|" + language)
                .first;
    }
    if (found->second.empty())
        return nullptr;
    const std::size_t bar = found->second.rfind('|');
    const std::string path = found->second.substr(0, bar);
    return Load(
        path, FileLabel(PathFromUtf8(path)), [&] { return ReadMessageFileBytes(PathFromUtf8(path)); },
        found->second.substr(bar + 1));
}

std::string PrototypeNames::HeaderLines(const CritterFile& file, const Prototype& prototype)
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
