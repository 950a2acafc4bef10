#include "cli/CritterJson.h"

#include "cli/CliError.h"
#include "cli/RecordText.h"

#include <set>

namespace quarnel::cli {
namespace {

const char* const kGameMember = "game";

// "base.ST" -> ("base", "ST"); "pid" -> ("", "pid").
std::pair<std::string, std::string> SplitKey(const std::string& key)
{
    const std::size_t dot = key.find('.');
    if (dot == std::string::npos)
        return {std::string(), key};
    return {key.substr(0, dot), key.substr(dot + 1)};
}

std::string JoinKey(const std::string& group, const std::string& name)
{
    return group.empty() ? name : group + "." + name;
}

std::int32_t IntegerMember(const nlohmann::json& value, const RecordField& field)
{
    if (value.is_number_unsigned())
        return CheckedFieldValue(field, value.get<std::uint64_t>() > std::uint64_t{INT64_MAX}
                                            ? INT64_MAX
                                            : static_cast<std::int64_t>(value.get<std::uint64_t>()));
    if (value.is_number_integer())
        return CheckedFieldValue(field, value.get<std::int64_t>());
    throw CliError(field.key + ": " + value.dump() + " is not an integer");
}

// Why a top-level member is not taken: a dotted key belongs inside its
// group's object; a field of the other layout is not in this file.
std::string UnknownMemberText(const std::string& member, std::size_t recordSize)
{
    if (!FindRecordField(member))
        return member + ": unknown key";
    const auto [group, name] = SplitKey(member);
    if (!group.empty())
        return member + ": not a key of its own; JSON nests it under \"" + group + "\" as {\"" + name + "\": ...}";
    return member + ": unknown key (not in a " + std::to_string(recordSize) + "-byte file)";
}

} // namespace

nlohmann::ordered_json CritterToJson(const ProRecord& record, bool secondGame)
{
    nlohmann::ordered_json object;
    object[kGameMember] = secondGame ? "fo2" : "fo1";
    for (const RecordField* field : FieldsOf(record.size())) {
        const auto [group, name] = SplitKey(field->key);
        nlohmann::ordered_json& target = group.empty() ? object : object[group];
        target[name] = FieldValue(record, *field);
    }
    return object;
}

ProRecord CritterFromJson(const nlohmann::json& object, const ProRecord& target)
{
    if (!object.is_object())
        throw CliError("the JSON text is not an object of critter fields");

    std::set<std::string> known{kGameMember};
    ProRecord record = target;
    for (const RecordField* field : FieldsOf(target.size())) {
        const auto [group, name] = SplitKey(field->key);
        known.insert(group.empty() ? name : group);
        const nlohmann::json* holder = &object;
        if (!group.empty()) {
            const auto found = object.find(group);
            if (found == object.end())
                throw CliError(field->key + ": missing");
            if (!found->is_object())
                throw CliError(group + ": not an object of fields");
            holder = &*found;
        }
        const auto value = holder->find(name);
        if (value == holder->end())
            throw CliError(field->key + ": missing");
        record.SetField(field->offset, field->width, IntegerMember(*value, *field));
    }

    // Whatever the layout does not name, including a nested key of a group.
    for (const auto& [member, value] : object.items()) {
        if (!known.count(member))
            throw CliError(UnknownMemberText(member, target.size()));
        if (!value.is_object())
            continue;
        for (const auto& [name, inner] : value.items()) {
            const RecordField* field = FindRecordField(JoinKey(member, name));
            if (!field)
                throw CliError(JoinKey(member, name) + ": unknown key");
        }
    }
    if (const auto game = object.find(kGameMember); game != object.end() && *game != "fo1" && *game != "fo2")
        throw CliError(std::string(kGameMember) + ": " + game->dump() + " is neither \"fo1\" nor \"fo2\"");
    return record;
}

} // namespace quarnel::cli
