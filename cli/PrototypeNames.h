#pragma once
// The names show puts above a prototype's fields: the entries of its text ID
// (the name) and the next number (the description) in the type's message
// file (pro_item.msg, pro_crit.msg, ...) of the game's language. The file is
// the one the source gives: through --data in the tree, or, for a loose file
// in a mod's tree (<tree>/proto/<type folder>/<file>.pro), in
// <tree>/text/<language>/game (english first, else the first language
// holding it). Each message file is read once per call.
#include "cli/RecordText.h"
#include "library/CritterNameFile.h"
#include "source/PrototypeSource.h"

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace quarnel::cli {

class PrototypeNames {
public:
    PrototypeNames(const PrototypeSource& source, std::ostream& err) : source_(source), err_(err) {}

    // "# name: ...\n# description: ...\n" (each line only where its entry
    // exists), or "" when no message file is at hand.
    std::string HeaderLines(const SourceFile& file, const Prototype& prototype);

private:
    const CritterNames* Names(const SourceFile& file, ProtoType type);
    const CritterNames* Load(const std::string& key, const std::string& label, const std::function<std::string()>& read,
                             const std::string& language, NameEncoding encoding = NameEncoding::Automatic);

    const PrototypeSource& source_;
    std::ostream& err_;
    std::map<std::string, std::optional<CritterNames>> loaded_;         // by message file, nothing where there is none
    std::map<std::string, std::optional<MessageFileRef>> messageFiles_; // "<folder>|<type>" -> its message file
};

} // namespace quarnel::cli
