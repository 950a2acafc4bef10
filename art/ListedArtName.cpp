#include "art/ListedArtName.h"

#include "art/CritterFid.h"

#include <array>

namespace quarnel {
namespace {

constexpr std::array<ArtType, 7> kArtTypes = {{
    {0, "items", "art/items/", "art/items/items.lst"},
    {kCritterArtType, "critters", "art/critters/", "art/critters/critters.lst"},
    {2, "scenery", "art/scenery/", "art/scenery/scenery.lst"},
    {3, "walls", "art/walls/", "art/walls/walls.lst"},
    {4, "tiles", "art/tiles/", "art/tiles/tiles.lst"},
    {5, "misc", "art/misc/", "art/misc/misc.lst"},
    {7, "inventory", "art/inven/", "art/inven/inven.lst"},
}};

// The games' art types that no prototype shows, named in the texts.
const char* UnlistedTypeWord(std::uint32_t type)
{
    switch (type) {
    case 6: return "interface";
    case 8: return "heads";
    case 9: return "backgrounds";
    case 10: return "skilldex";
    default: return nullptr;
    }
}

} // namespace

const ArtType* FindArtType(std::uint32_t type)
{
    for (const ArtType& artType : kArtTypes)
        if (artType.type == type)
            return &artType;
    return nullptr;
}

std::string ArtTypeProblem(std::uint32_t fid)
{
    const std::uint32_t type = ArtFidType(fid);
    if (FindArtType(type))
        return {};
    std::string text = "FID " + FidText(fid) + " names type " + std::to_string(type);
    if (const char* word = UnlistedTypeWord(type))
        text += std::string(" (") + word + ")";
    text += ", not a prototype's art (";
    for (const ArtType& artType : kArtTypes)
        text += std::to_string(artType.type) + " " + artType.word + (&artType == &kArtTypes.back() ? ")" : ", ");
    return text;
}

ListedArtName ListedArtFileName(std::uint32_t fid, const std::vector<std::string>& names)
{
    ListedArtName art;
    const ArtType* artType = FindArtType(ArtFidType(fid));
    if (!artType || artType->type == kCritterArtType) {
        art.problem =
            artType ? "FID " + FidText(fid) + " is critter art, named by the critters' rules" : ArtTypeProblem(fid);
        return art;
    }
    const std::uint32_t index = ArtFidIndex(fid);
    art.problem = ArtListLineProblem(index, names, artType->list);
    if (!art.problem.empty())
        return art;
    // Lower case, as for critters: the tree's lookup ignores case, and a
    // caption reads the same whatever the list's case.
    std::string name;
    for (char c : names[index])
        name += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    art.path = artType->folder + name;
    const std::size_t dot = name.rfind('.');
    art.baseName = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return art;
}

} // namespace quarnel
