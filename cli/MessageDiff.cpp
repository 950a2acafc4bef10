#include "cli/MessageDiff.h"

#include "library/MessageFile.h"

namespace quarnel::cli {

DecodedMessages DecodeMessages(std::string_view bytes, NameEncoding encoding, std::string_view language)
{
    const MessageFileResult parsed = ParseMessageText(bytes);
    // One encoding for the whole file, never decided per text.
    const NameEncoding chosen = ChooseNameEncoding(bytes, language, encoding);
    DecodedMessages decoded;
    // Entries in file order: a later entry of a number replaces an earlier one.
    for (const MessageEntry& entry : parsed.entries)
        decoded.texts[std::stoll(entry.key)] = DecodeName(entry.text, chosen);
    if (parsed.fault)
        decoded.fault = "line " + std::to_string(parsed.fault->line) + ": " + parsed.fault->what;
    return decoded;
}

std::vector<MessageChange> MessageChanges(const DecodedMessages& before, const DecodedMessages& after)
{
    std::vector<MessageChange> changes;
    auto a = before.texts.begin();
    auto b = after.texts.begin();
    while (a != before.texts.end() || b != after.texts.end()) {
        if (b == after.texts.end() || (a != before.texts.end() && a->first < b->first)) {
            changes.push_back({a->first, a->second, std::nullopt});
            ++a;
        } else if (a == before.texts.end() || b->first < a->first) {
            changes.push_back({b->first, std::nullopt, b->second});
            ++b;
        } else {
            if (a->second != b->second)
                changes.push_back({a->first, a->second, b->second});
            ++a, ++b;
        }
    }
    return changes;
}

} // namespace quarnel::cli
