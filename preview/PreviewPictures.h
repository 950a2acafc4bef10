#pragma once
// The critter pictures without the window: which archive members a picture
// step wants, in which order, and the picture list that maps a critter's FID
// index to a picture base name. Extracted members stay in the temp folder as
// a cache for the rest of the run.
#include "preview/AbUnZipper.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class PreviewPictures {
public:
    PreviewPictures(std::filesystem::path archive, std::filesystem::path tempFolder);

    // Extracts the archive members of this file name into the temp folder
    // (created with its parents when missing) as one file of that name,
    // holding the last matching member, opening and closing the archive.
    // Archive errors propagate (ArchiveError). The members read stay known
    // while the archive's size and time are unchanged: a name that is not
    // among them does not reopen it, and an archive that failed to open
    // fails again with the same error without being read.
    void ExtractPreviewMember(const std::string& name);

    // The first candidate that exists in the temp folder, each one extracted
    // first when its copy is missing; an empty path when none exists.
    // Candidates that are not plain file names are never looked up.
    std::filesystem::path ResolvePicture(const std::vector<std::string>& candidates);

    // Reads the temp folder's picture list to its end (lines end at LF or
    // CR LF, counted from 0 modulo 256) and returns the raw text of every
    // line whose number is fidLowByte, in order, with memory bounded whatever
    // the list holds. IoError when the list cannot be opened (2 "File not
    // found" when it is missing).
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

    // The archive's size and time, all zero while it cannot be seen.
    struct ArchiveStamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool valid = false;
        bool operator==(const ArchiveStamp&) const = default;
    };
    ArchiveStamp CurrentStamp() const;

private:
    std::filesystem::path archive_;
    std::filesystem::path tempFolder_;
    TAbUnZipper unzipper_;
    int openCount_ = 0;
    // What the archive held, and the error it failed with, while it has directoryStamp_.
    std::optional<std::vector<ZipItem>> directory_;
    std::string failure_;
    ArchiveStamp directoryStamp_;
};

} // namespace quarnel
