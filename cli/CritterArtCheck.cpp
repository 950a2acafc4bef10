#include "cli/CritterArtCheck.h"

#include "art/CritterArt.h"
#include "cli/RecordText.h"
#include "proto/ProLayout.h"

namespace quarnel::cli {
namespace {

// "<path>: missing" for "no <path>", else the text, which names its file.
std::string TreeWideProblem(const std::string& path, const std::string& problem)
{
    return problem == "no " + path ? path + ": missing" : problem;
}

} // namespace

bool CheckCritterArt(const GameTree& tree, const std::vector<SourceFile>& files, std::ostream& out)
{
    const CritterArtSource art(tree);
    if (const std::string list = art.ListProblem(); !list.empty()) {
        out << TreeWideProblem(kCritterArtList, list) << ": no critter has a standing picture\n";
        return true;
    }
    bool reported = false;
    const std::string palette = art.PaletteProblem();
    if (!palette.empty()) {
        out << TreeWideProblem("color.pal", palette) << ": no critter has a standing picture\n";
        reported = true;
    }
    for (const SourceFile& file : files) {
        std::uint32_t fid = 0;
        try {
            const ProRecord record = ProRecord::FromBytes(tree.Read(file.label));
            if (!IsCritterRecordSize(static_cast<long long>(record.size())))
                continue;
            fid = static_cast<std::uint32_t>(record.Field(kFidOffset, 4));
        } catch (const std::exception&) {
            continue; // named by the check of the records
        }
        const CritterArt found = art.Find(fid);
        if (!found.HasPicture() && found.missing != palette) {
            out << FileLabel(file.file.filename()) << ": no standing picture: " << found.missing << '\n';
            reported = true;
        }
    }
    return reported;
}

} // namespace quarnel::cli
