#include "cli/SharedTextIds.h"

#include "proto/ProLayout.h"
#include "proto/PrototypeLayout.h"

namespace quarnel::cli {

std::optional<std::string> SharedTextIds::Note(const std::string& label, const ProRecord& record)
{
    if (record.size() < std::size_t(kTextIdOffset + 4) || record.bytes()[0] >= kProtoTypeCount)
        return std::nullopt;
    const std::int32_t textId = record.Field(kTextIdOffset, 4);
    const auto [first, added] = first_.emplace(std::make_pair(int(record.bytes()[0]), textId), label);
    if (added)
        return std::nullopt;
    return "text_id = " + std::to_string(textId) + " is also that of " + first->second;
}

} // namespace quarnel::cli
