#pragma once
// A critter's standing picture as the game draws it: the FID names a line
// of art/critters/critters.lst, that line the FRM file under art/critters/
// (CritterFid.h), found through the game's file tree as every FID's picture
// is (FidArt.h). Any other type is refused with the text FidProblem gives.
#include "art/CritterFid.h"
#include "art/FidArt.h"

#include <string>

namespace quarnel {

using CritterArt = FidArt;

// Looks critters' pictures up in one tree, read and decoded once as
// ArtSource does; Forget() drops them after the tree's files changed.
class CritterArtSource {
public:
    explicit CritterArtSource(const GameTree& tree) : art_(tree) {}

    CritterArt Find(std::uint32_t fid) const;
    void Forget() const { art_.Forget(); }

    // What keeps every critter of the tree from a picture: the list or the
    // palette missing or damaged (the text Find gives); empty when it is there.
    std::string ListProblem() const;
    std::string PaletteProblem() const { return art_.PaletteProblem(); }
    // The same tree's pictures of every listed type, sharing the palette and what was read.
    const ArtSource& AnyType() const { return art_; }

private:
    ArtSource art_;
};

} // namespace quarnel
