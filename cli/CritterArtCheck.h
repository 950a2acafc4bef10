#pragma once
// check --data: the critters whose FID has no standing picture in the tree.
#include "source/PrototypeSource.h"
#include "gamedata/GameTree.h"

#include <ostream>
#include <vector>

namespace quarnel::cli {

// One line per finding on out, "<file>: no standing picture: <what is
// missing>"; a missing or damaged critters.lst or color.pal is named once for
// all. Files that are not critter records (already reported) are passed
// over. Returns whether anything was reported.
bool CheckCritterArt(const GameTree& tree, const std::vector<SourceFile>& files, std::ostream& out);

} // namespace quarnel::cli
