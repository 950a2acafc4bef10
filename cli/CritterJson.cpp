#include "cli/CritterJson.h"

#include "cli/CliError.h"
#include "proto/RecordFields.h"

#include <set>

namespace quarnel::cli {
namespace {

const char* const kGameMember = "game";
const char* const kTypeMember = "type";

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
std::string UnknownMemberText(const std::string& member, RecordKind kind, std::size_t recordSize)
{
    if (!FindKindField(kind, member))
        return member + ": unknown key";
    const auto [group, name] = SplitKey(member);
    if (!group.empty())
        return member + ": not a key of its own; JSON nests it under \"" + group + "\" as {\"" + name + "\": ...}";
    return member + ": unknown key (not in a " + std::to_string(recordSize) + "-byte file)";
}

// The fields of the kind from the object into a copy of the target; every
// member must be a field (or one of extraMembers), every field given.
ProRecord FieldsFromJson(const nlohmann::json& object, const ProRecord& target, RecordKind kind,
                         std::set<std::string> known)
{
    ProRecord record = target;
    for (const RecordField* field : FieldsOf(kind, target.size())) {
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
            throw CliError(UnknownMemberText(member, kind, target.size()));
        if (!value.is_object())
            continue;
        for (const auto& [name, inner] : value.items()) {
            if (!FindKindField(kind, JoinKey(member, name)))
                throw CliError(JoinKey(member, name) + ": unknown key");
        }
    }
    return record;
}

} // namespace

nlohmann::ordered_json PrototypeToJson(const Prototype& prototype, bool secondGame)
{
    if (prototype.kind.type == ProtoType::Critter)
        return CritterToJson(prototype.record, secondGame);
    nlohmann::ordered_json object;
    object[kTypeMember] = TypeKey(prototype.kind.type);
    for (const RecordField* field : FieldsOf(prototype.kind, prototype.record.size())) {
        const auto [group, name] = SplitKey(field->key);
        nlohmann::ordered_json& target = group.empty() ? object : object[group];
        target[name] = FieldValue(prototype.record, *field);
    }
    return object;
}

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
    const RecordKind critter{ProtoType::Critter, kNoSubtype};
    // A critter's object may name its type; an export leaves it out.
    if (const auto type = object.find(kTypeMember); type != object.end() && *type != TypeKey(ProtoType::Critter))
        throw CliError(std::string(kTypeMember) + ": " + type->dump() + ", but the target is a critter");
    const ProRecord record = FieldsFromJson(object, target, critter, {kGameMember, kTypeMember});
    if (const auto game = object.find(kGameMember); game != object.end() && *game != "fo1" && *game != "fo2")
        throw CliError(std::string(kGameMember) + ": " + game->dump() + " is neither \"fo1\" nor \"fo2\"");
    return record;
}

ProRecord PrototypeFromJson(const nlohmann::json& object, const Prototype& target)
{
    if (target.kind.type == ProtoType::Critter)
        return CritterFromJson(object, target.record);
    const std::string targetText = KindText(target.kind);
    if (!object.is_object())
        throw CliError("the JSON text is not an object of prototype fields");
    const auto type = object.find(kTypeMember);
    if (type == object.end())
        throw CliError(std::string(kTypeMember) + ": missing (a critter's object?), but the target is " + targetText);
    if (*type != TypeKey(target.kind.type))
        throw CliError(std::string(kTypeMember) + ": " + type->dump() + ", but the target is " + targetText);
    // Another subtype is another record size: refused before any field.
    if (HasSubtypes(target.kind.type)) {
        const auto subtype = object.find("subtype");
        if (subtype != object.end() && *subtype != target.kind.subtype)
            throw CliError("subtype: " + subtype->dump() + ", but the target is " + targetText + ", subtype " +
                           std::to_string(target.kind.subtype) + " (import does not change a subtype)");
    }
    return FieldsFromJson(object, target.record, target.kind, {kTypeMember});
}

} // namespace quarnel::cli
