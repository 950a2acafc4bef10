#pragma once
// Paths inside a game's file tree: the games upper-case the path they look
// for, so every lookup compares keys made here; "\" and "/" are one separator.
#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {

// The lookup key of a path: "\" turned into "/", a to z upper-cased, every
// other byte kept.
std::string GamePathKey(std::string_view path);
void AppendGamePathKey(std::string& out, std::string_view path);

// Hash and equality of paths as their keys, without making the keys.
std::uint32_t GamePathHash(std::string_view path);
bool SameGamePath(std::string_view a, std::string_view b);

// The path with "/" between folders, its case kept.
std::string SlashPath(std::string_view path);

// A path as a user gives it, made a path inside the tree: "/" between
// folders, no leading, doubled or trailing separators, no "." parts
// ("/proto//critters/./x.pro" -> "proto/critters/x.pro"). Case and ".." parts kept.
std::string TreePath(std::string_view path);

// Whether the path lies under the folder (both compared as keys); an empty
// folder holds every path.
bool IsUnderFolder(std::string_view path, std::string_view folder);

// Glob match of a whole path: "*" any run of characters ("/" included), "?"
// any one character, case ignored, "\" and "/" alike.
bool MatchesGlob(std::string_view path, std::string_view pattern);

// The language folder of a message file's path: "text/czech/game/pro_crit.msg"
// -> "czech"; empty for a path outside text/.
std::string LanguageOfTextPath(std::string_view path);

// Whether a path may be written under a target folder: it stays inside it
// (no absolute path, drive letter or ".." part) and every part is a name the
// file systems take as it is (no device name, no dot or blank at the end, no
// leading dot).
bool IsSafeExtractPath(std::string_view path);

} // namespace quarnel
