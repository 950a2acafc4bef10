#pragma once
// Reading of ZIP archives: opens an archive, reads its central directory and
// extracts the members whose names match a request into one target folder.
// Only stored and deflated members are decoded. Every member lands directly
// in the target folder under its file name; stored folder paths are dropped.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

// Bits of TAbUnZipper::ExtractOptions.
enum TAbExtractOption : int {
    eoCreateDirs = 1,  // create a missing target folder
    eoRestorePath = 2, // accepted but never honoured: stored paths are always dropped
};

// Error texts. The archive-level ones are thrown as ArchiveError; the
// member-level ones are handed to OnProcessItemFailure.
namespace ZipText {
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* InvalidStream = "Invalid Stream";
inline constexpr const char* UnhandledType = "Unhandled Archive Type";
inline constexpr const char* NotPkZip = "Invalid file - not a PKZip file";
inline constexpr const char* NoDirectory = "Directory does not exist";
inline constexpr const char* NewerVersion = "Cannot extract file - newer version required";
inline constexpr const char* InvalidPassword = "Cannot extract file - invalid password";
inline constexpr const char* UnsupportedMethod = "Cannot extract file - unsupported compression method";
inline constexpr const char* CrcFailed = "Failed CRC Check";
inline constexpr const char* DamagedData = "Cannot extract file - damaged compressed data";
inline constexpr const char* UnsafeName = "Cannot extract file - unsafe file name";
inline constexpr const char* TooLarge = "Cannot extract file - file too large";
} // namespace ZipText

// One member, as its central directory entry describes it.
struct ZipItem {
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t diskNumberStart = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0;
    std::string rawName;  // the name bytes as stored
    std::string fileName; // the name as UTF-8, "/" between folders (backslashes count as slashes)
    std::vector<std::uint8_t> extraField;
    bool overlapsOther = false; // its data shares bytes with another member's: never extracted

    bool IsEncrypted() const { return (flags & 0x0001) != 0; }
    bool IsFolder() const;
    std::string FolderPart() const; // fileName up to its last "/", without it
    std::string NamePart() const;   // fileName after its last "/"
    // Read-only by the MS-DOS attribute, or by the Unix mode for a member made
    // on a Unix host (or with attributes above 0x1FFFF).
    bool IsReadOnly() const;
};

class TAbUnZipper {
public:
    // The largest member the reader writes; larger ones fail.
    static constexpr std::uint64_t kMaxMemberSize = 64ull * 1024 * 1024;

    // The most bytes one ExtractFiles call writes; members past it fail
    // ("file too large") and write nothing.
    std::uint64_t MaxBytesPerCall = 4 * kMaxMemberSize;

    // When not empty, every extracted member is written under this file name
    // instead of its own, so that the case variants of one requested name
    // give one file, holding the last matching member.
    std::string TargetFileName;

    TAbUnZipper() = default;
    TAbUnZipper(const TAbUnZipper&) = delete;
    TAbUnZipper& operator=(const TAbUnZipper&) = delete;

    // Empty: closes the archive. Otherwise releases any open archive, opens
    // this one for reading and reads its central directory. Errors
    // (ArchiveError): "File not found", "Invalid Stream", "Unhandled Archive
    // Type", "Invalid file - not a PKZip file". After an error no archive is open.
    void SetFileName(const std::string& archivePath);
    // Opens the archive as SetFileName does, but takes the members read by
    // an earlier opening of the unchanged file instead of reading them again.
    void OpenWithDirectory(const std::string& archivePath, std::vector<ZipItem> items);
    const std::string& FileName() const { return fileName_; }

    // The target folder; one trailing separator is dropped (a root stays as
    // it is). ArchiveError "Directory does not exist" for a missing folder.
    void SetBaseDirectory(const std::string& folder);
    const std::string& BaseDirectory() const { return baseDirectory_; }

    int ExtractOptions = eoCreateDirs;

    // Extracts every member matching fileMask (patterns separated by
    // semicolons, "*" and "?" wildcards, case ignored, an optional folder
    // part) in central directory order. Reports nothing itself: each failed
    // member goes to OnProcessItemFailure, if assigned, and is skipped.
    void ExtractFiles(const std::string& fileMask);

    // Called once per member that could not be extracted, with the error text.
    std::function<void(const ZipItem&, const std::string& error)> OnProcessItemFailure;

    // Free space of a folder in bytes; replaceable so that tests can stage a full disk.
    std::function<std::uintmax_t(const std::filesystem::path& folder)> FreeSpace;

    // The members of the open archive, in central directory order.
    const std::vector<ZipItem>& Items() const { return items_; }

    // Whether a member name matches a mask as ExtractFiles matches it.
    static bool MatchesMask(const std::string& memberName, const std::string& fileMask);

private:
    void Close();
    // Opens the file for reading and takes its size; the ArchiveErrors of SetFileName.
    std::filesystem::path OpenStream(const std::string& archivePath);
    void MarkOverlappingMembers();
    // Reads the bytes from start to end (exclusive) into block.
    bool ReadBlock(std::uint64_t start, std::uint64_t end, std::vector<std::uint8_t>& block);
    std::optional<std::uint64_t> FindEndRecord();
    // The last position from `last` down to `first` where a record of
    // recordSize bytes begins with signature.
    std::optional<std::uint64_t> FindBackward(std::uint32_t signature, std::uint64_t last, std::uint64_t first,
                                              std::size_t recordSize);
    void ReadCentralDirectory(std::uint64_t endRecordOffset);
    void ExtractItem(const ZipItem& item);
    // Decoders: the error text, or empty on success; never write past the recorded size.
    std::string CopyStored(const ZipItem& item, std::uint64_t offset, std::FILE* out, std::uint32_t& crc);
    std::string Inflate(const ZipItem& item, std::uint64_t offset, std::FILE* out, std::uint32_t& crc);
    void Fail(const ZipItem& item, const std::string& error);
    // Reads exactly size bytes at offset, never past the archive's size.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);

    std::string fileName_;
    std::string baseDirectory_;
    std::ifstream stream_;
    std::uint64_t archiveSize_ = 0;
    std::vector<std::uint8_t> window_; // bytes of the archive from windowStart_
    std::uint64_t windowStart_ = 0;
    std::vector<ZipItem> items_;
    std::uint64_t bytesWritten_ = 0; // by the running ExtractFiles call
};

} // namespace quarnel
