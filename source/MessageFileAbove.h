#pragma once
// The message file of a prototype type in the mod's tree that holds a loose
// prototype file (<tree>/proto/<type folder>/<file>.pro).
#include "proto/PrototypeLayout.h"

#include <filesystem>
#include <string>

namespace quarnel {

// <tree>/text/<language>/game/<name of the type's message file>, each part in
// any case, english first (the games fall back to it), else the first
// language holding it; an empty path when there is none. language receives
// the language folder's name.
std::filesystem::path MessageFileAbove(const std::filesystem::path& file, ProtoType type, std::string* language);

} // namespace quarnel
