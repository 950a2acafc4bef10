#pragma once
// Where a command's prototypes come from: loose files named on the command
// line, or, with --data, paths inside the file tree of an install or a mod's
// tree (read from the layer that wins, written into the override folder).
#include "cli/RecordText.h"
#include "source/PrototypeSource.h"
#include "source/TreeSource.h"

#include <memory>
#include <ostream>
#include <string>

namespace quarnel::cli {

// data empty: loose files. Else the tree of that folder; every archive of it
// that could not be opened is reported once on err.
std::unique_ptr<PrototypeSource> OpenCommandSource(const std::string& data, std::ostream& err);
// The tree of that folder, for a command about the tree itself, its
// unreadable archives reported the same way.
std::unique_ptr<TreeSource> OpenCommandTree(const std::string& data, std::ostream& err);

// The critter record read; CliError when it has neither 412 nor 416 bytes.
ProRecord CritterRecordOf(const LoadedPrototype& loaded);
// The prototype read, of any type; CliError when its bytes make none.
Prototype PrototypeOf(const LoadedPrototype& loaded);

} // namespace quarnel::cli
