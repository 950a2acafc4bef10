#include "source/PrototypeSource.h"

#include "platform/IntegerText.h"

namespace quarnel {

std::string SourceNames::Text(std::int32_t textId) const
{
    return DecodeName(names.table.Lookup(IntToStr(textId)), names.encoding);
}

} // namespace quarnel
