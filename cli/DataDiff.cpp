#include "cli/DataDiff.h"

#include "cli/Commands.h"
#include "cli/CopyComparison.h"
#include "cli/MessageDiff.h"
#include "cli/PrototypeDiff.h"
#include "gamedata/GamePath.h"
#include "library/MessageFile.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace quarnel::cli {
namespace {

enum class Change { Added, Removed, Changed };

// One path that is not the same in both trees, and how it differs.
struct FileDifference {
    Change change = Change::Changed;
    std::string path;
    std::uint64_t sizeBefore = 0;
    std::uint64_t sizeAfter = 0;
    // Prototypes: of different kinds, else the fields that differ.
    std::optional<std::string> kinds{};
    std::vector<FieldChange> fields{};
    // Message files: the entries that differ, and where reading stopped, when that differs.
    std::vector<MessageChange> messages{};
    std::optional<std::optional<std::string>> faultBefore{}, faultAfter{};
};

bool HasExtension(std::string_view path, std::string_view extension)
{
    return path.size() >= extension.size() &&
           GamePathKey(path.substr(path.size() - extension.size())) == GamePathKey(extension);
}

std::optional<Prototype> PrototypeOfBytes(std::vector<std::uint8_t> bytes)
{
    ProRecord record = ProRecord::FromBytes(std::move(bytes));
    try {
        const RecordKind kind = KindOf(record, std::to_string(record.size()) + " bytes");
        return Prototype{std::move(record), kind};
    } catch (const std::exception&) {
        return std::nullopt; // no prototype: compared as any other file
    }
}

DecodedMessages MessagesOf(const GameTree& tree, const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return DecodeMessages(text, TreeMessageEncoding(tree, path, NameEncoding::Automatic), LanguageOfTextPath(path));
}

// Fills in how two copies of a prototype or a message file differ; any other
// file (or one that makes no prototype) keeps its sizes alone.
void Describe(FileDifference& difference, const GameTree& before, const Holding& a, const GameTree& after,
              const Holding& b)
{
    const bool prototype = HasExtension(b.path, ".pro");
    const bool messages = HasExtension(b.path, ".msg");
    if (!prototype && !messages)
        return;
    std::vector<std::uint8_t> bytesA = a.layer->Read(a.path);
    std::vector<std::uint8_t> bytesB = b.layer->Read(b.path);
    if (messages) {
        const DecodedMessages decodedA = MessagesOf(before, a.path, bytesA);
        const DecodedMessages decodedB = MessagesOf(after, b.path, bytesB);
        difference.messages = MessageChanges(decodedA, decodedB);
        if (decodedA.fault != decodedB.fault)
            difference.faultBefore = decodedA.fault, difference.faultAfter = decodedB.fault;
        return;
    }
    const auto prototypeA = PrototypeOfBytes(std::move(bytesA));
    const auto prototypeB = PrototypeOfBytes(std::move(bytesB));
    if (!prototypeA || !prototypeB)
        return;
    difference.kinds = KindChangeText(*prototypeA, *prototypeB);
    if (!difference.kinds)
        difference.fields = FieldChanges(*prototypeA, *prototypeB);
}

// Control bytes, the backslash and the quote written as escapes, so that every
// text stays on its line and inside its quotes.
std::string Escaped(std::string_view text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"')
            out += {'\\', c};
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            out += {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
        else
            out += c;
    }
    return out;
}

std::string Quoted(const std::string& text) { return '"' + Escaped(text) + '"'; }

std::string FaultText(const std::optional<std::string>& fault) { return fault ? *fault : "none"; }

void AppendText(std::string& text, const FileDifference& difference)
{
    text += "# " + Escaped(difference.path) + '\n';
    if (difference.change == Change::Added) {
        text += "added: " + std::to_string(difference.sizeAfter) + " bytes\n";
        return;
    }
    if (difference.change == Change::Removed) {
        text += "removed: " + std::to_string(difference.sizeBefore) + " bytes\n";
        return;
    }
    const std::size_t start = text.size();
    if (difference.kinds)
        text += *difference.kinds + '\n';
    for (const FieldChange& field : difference.fields)
        text += field.key + ": " + field.before + " -> " + field.after + '\n';
    for (const MessageChange& message : difference.messages) {
        text += '{' + std::to_string(message.number) + "}: ";
        if (!message.before)
            text += "added " + Quoted(*message.after) + '\n';
        else if (!message.after)
            text += "removed " + Quoted(*message.before) + '\n';
        else
            text += Quoted(*message.before) + " -> " + Quoted(*message.after) + '\n';
    }
    if (difference.faultBefore)
        text += "fault: " + FaultText(*difference.faultBefore) + " -> " + FaultText(*difference.faultAfter) + '\n';
    // Bytes that no field or entry shows (a message's sound, a layout of its own): the sizes say it.
    if (text.size() == start)
        text += "differs: " + std::to_string(difference.sizeBefore) + " -> " + std::to_string(difference.sizeAfter) +
                " bytes\n";
}

nlohmann::json ToJson(const FileDifference& difference)
{
    using nlohmann::json;
    json file = {{"path", difference.path}};
    if (difference.change != Change::Changed) {
        const bool added = difference.change == Change::Added;
        file["change"] = added ? "added" : "removed";
        file["size"] = added ? difference.sizeAfter : difference.sizeBefore;
        return file;
    }
    file["change"] = "changed";
    file["sizes"] = {difference.sizeBefore, difference.sizeAfter};
    if (difference.kinds)
        file["kinds"] = *difference.kinds;
    if (!difference.fields.empty()) {
        json& fields = file["fields"] = json::array();
        for (const FieldChange& field : difference.fields)
            fields.push_back({{"key", field.key}, {"a", field.before}, {"b", field.after}});
    }
    if (!difference.messages.empty()) {
        json& messages = file["messages"] = json::array();
        for (const MessageChange& message : difference.messages) {
            json entry = {{"number", message.number}};
            if (message.before)
                entry["a"] = *message.before;
            if (message.after)
                entry["b"] = *message.after;
            messages.push_back(std::move(entry));
        }
    }
    if (difference.faultBefore) {
        auto fault = [](const std::optional<std::string>& text) { return text ? json(*text) : json(nullptr); };
        file["faults"] = {fault(*difference.faultBefore), fault(*difference.faultAfter)};
    }
    return file;
}

} // namespace

int RunDataDiff(const GameTree& before, const GameTree& after,
                const std::function<bool(std::string_view path)>& selected, bool json, std::ostream& out,
                std::ostream& err)
{
    // Both listings are in the order of their paths' keys: one walk pairs them.
    auto listing = [&](const GameTree& tree) {
        std::vector<std::pair<std::string, Holding>> files;
        for (Holding& file : tree.List())
            if (selected(file.path))
                files.emplace_back(GamePathKey(file.path), std::move(file));
        return files;
    };
    const auto filesA = listing(before);
    const auto filesB = listing(after);
    CopyComparison comparison;
    std::vector<FileDifference> differences;
    bool failed = false;
    std::size_t i = 0, j = 0;
    while (i < filesA.size() || j < filesB.size()) {
        if (j == filesB.size() || (i < filesA.size() && filesA[i].first < filesB[j].first)) {
            const Holding& a = filesA[i++].second;
            differences.push_back({Change::Removed, a.path, a.size, 0});
            continue;
        }
        if (i == filesA.size() || filesB[j].first < filesA[i].first) {
            const Holding& b = filesB[j++].second;
            differences.push_back({Change::Added, b.path, 0, b.size});
            continue;
        }
        const Holding& a = filesA[i++].second;
        const Holding& b = filesB[j++].second;
        try {
            if (comparison.SameBytes(a, b))
                continue;
            FileDifference difference{Change::Changed, b.path, a.size, b.size};
            Describe(difference, before, a, after, b);
            differences.push_back(std::move(difference));
        } catch (const std::exception& error) {
            ReportError(err, b.path, error);
            failed = true;
        }
    }
    if (json) {
        nlohmann::json files = nlohmann::json::array();
        for (const FileDifference& difference : differences)
            files.push_back(ToJson(difference));
        out << nlohmann::json{{"files", files}}.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        std::string text;
        for (const FileDifference& difference : differences)
            AppendText(text, difference);
        out << text;
    }
    if (failed)
        return kExitError;
    return differences.empty() ? kExitSuccess : kExitFindings;
}

} // namespace quarnel::cli
