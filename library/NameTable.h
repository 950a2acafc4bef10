#pragma once
// The name table read once: a lookup that gives for every key exactly what
// ReadIniValue gives for the same file and section, so that a scan of
// thousands of critters does not reread the table from its first line for
// every file.
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quarnel {

class NameTable {
public:
    // Reads the file (".ini" appended when its name has no '.').
    // IoError when it cannot be read (2 when missing).
    static NameTable Load(const std::filesystem::path& iniFile, const std::string& section = "Description");
    // The same from the bytes of an ini file already read.
    static NameTable FromIniText(std::string_view bytes, const std::string& section = "Description");
    // A table of ready key -> value pairs (the message-file reader's).
    static NameTable FromValues(std::unordered_map<std::string, std::string> values);

    // The value of the key, or an empty text. Same result as ReadIniValue.
    std::string Lookup(const std::string& key) const;

    std::size_t size() const { return values_.size(); }

private:
    // Upper-cased key part -> value of the line that ends the reader's search
    // for that key.
    std::unordered_map<std::string, std::string> values_;
};

} // namespace quarnel
