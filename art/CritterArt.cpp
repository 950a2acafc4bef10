#include "art/CritterArt.h"

#include "art/ListedArtName.h"

namespace quarnel {

CritterArt CritterArtSource::Find(std::uint32_t fid) const
{
    if (ArtFidType(fid) == kCritterArtType)
        return art_.Find(fid);
    CritterArt art;
    art.fid = fid;
    art.missing = FidProblem(fid);
    return art;
}

std::string CritterArtSource::ListProblem() const { return art_.ListProblem(kCritterArtType); }

} // namespace quarnel
