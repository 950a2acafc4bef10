#include "platform/WriteRefusal.h"

#include "platform/Utf8.h"

namespace quarnel {

WriteRefusedError::WriteRefusedError(RefusalKind kind, std::filesystem::path path, std::string reason)
    : Refusal(kind, Utf8FromPath(path) + ": " + reason, path), reason_(std::move(reason))
{
}

} // namespace quarnel
