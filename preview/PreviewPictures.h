#pragma once
// The critter pictures without the window: which archive members a picture
// step wants, in which order, and the picture list that maps a critter's FID
// index to a picture base name. Extracted members stay in the temp folder as
// a cache for the rest of the run.
#include "preview/AbUnZipper.h"

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace quarnel {

class PreviewPictures {
  public:
    PreviewPictures(std::filesystem::path archive, std::filesystem::path tempFolder);

    // Extracts every archive member of this file name into the temp folder
    // (created with its parents when missing), opening and closing the
    // archive. Archive errors propagate (ArchiveError). A name known to be
    // missing from the unchanged archive does not reopen it.
    void ExtractPreviewMember(const std::string& name);

    // The first candidate that exists in the temp folder, each one extracted
    // first when its copy is missing; an empty path when none exists.
    // Candidates that are not plain file names are never looked up.
    std::filesystem::path ResolvePicture(const std::vector<std::string>& candidates);

    // Reads the temp folder's picture list to its end (lines end at LF or
    // CR LF, counted from 0 modulo 256) and returns the text of every line
    // whose number is fidLowByte, in order. IoError when the list cannot be
    // opened (2 "File not found" when it is missing).
    std::vector<std::string> ListEntriesForFid(int fidLowByte);

    // base + "-" + view + ".gif", base + "-0.gif", base + ".gif", "reservAA.gif".
    static std::vector<std::string> Candidates(const std::string& base, int view);
    // The base without its extension (from its last dot on).
    static std::string CaptionBase(const std::string& base);
    // ">": 0 after 5 (or anything above), else view + 1. "<": 5 before 0, else view - 1.
    static int NextView(int view);
    static int PreviousView(int view);

    // How often the archive has been opened (for tests of the cache).
    int ArchiveOpenCount() const { return openCount_; }

    const std::filesystem::path& TempFolder() const { return tempFolder_; }

  private:
    struct ArchiveStamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool valid = false;
        bool operator==(const ArchiveStamp&) const = default;
    };
    ArchiveStamp CurrentStamp() const;
    void AdoptCaseVariant(const std::string& name);

    std::filesystem::path archive_;
    std::filesystem::path tempFolder_;
    TAbUnZipper unzipper_;
    int openCount_ = 0;
    // Names that an extraction left without a file, for the archive as it was then.
    std::set<std::string> missing_;
    ArchiveStamp missingStamp_;
};

} // namespace quarnel
