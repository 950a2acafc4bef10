#include "art/CritterFid.h"

#include <cstdio>

namespace quarnel {

std::vector<std::string> ParseArtList(std::string_view text)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        names.emplace_back(line.substr(0, line.find_first_of(", \t;")));
        start = end + 1;
    }
    return names;
}

std::string FidText(std::uint32_t fid)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(fid));
    return text;
}

std::string FidProblem(std::uint32_t fid)
{
    const std::string fidText = "FID " + FidText(fid);
    if (ArtFidType(fid) != 1)
        return fidText + " is not critter art (type " + std::to_string(ArtFidType(fid)) + ", critters have 1)";
    if (ArtFidAnimation(fid) != 0)
        return fidText + " names animation " + std::to_string(ArtFidAnimation(fid)) + ", not the standing picture (0)";
    if (ArtFidWeapon(fid) > 10)
        return fidText + " names weapon code " + std::to_string(ArtFidWeapon(fid)) + ", not one of 0 to 10";
    if (ArtFidRotation(fid) > 6)
        return fidText + " names rotation " + std::to_string(ArtFidRotation(fid)) + ", not one of 0 to 6";
    return {};
}

std::string ArtListLineProblem(std::uint32_t index, const std::vector<std::string>& names, const std::string& list)
{
    if (index >= names.size())
        return "FID index " + std::to_string(index) + " is beyond the end of " + list + " (" +
               std::to_string(names.size()) + " lines)";
    if (names[index].empty())
        return "FID index " + std::to_string(index) + " names an empty line of " + list;
    return {};
}

CritterArtName CritterArtFileName(std::uint32_t fid, const std::vector<std::string>& names)
{
    CritterArtName art;
    art.problem = FidProblem(fid);
    if (!art.problem.empty())
        return art;
    const std::uint32_t weapon = ArtFidWeapon(fid);
    const std::uint32_t rotation = ArtFidRotation(fid);
    const std::uint32_t index = ArtFidIndex(fid);
    art.problem = ArtListLineProblem(index, names, kCritterArtList);
    if (!art.problem.empty())
        return art;
    // Lower case, as the games' own lists spell them; the tree's lookup
    // ignores case, and a caption reads the same whatever the list's case.
    for (char c : names[index])
        art.baseName += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    art.baseName += std::string(1, weapon == 0 ? 'a' : static_cast<char>('d' + weapon - 1)) + 'a';
    art.extension = rotation == 0 ? ".frm" : ".fr" + std::to_string(rotation - 1);
    return art;
}

} // namespace quarnel
