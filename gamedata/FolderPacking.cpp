#include "gamedata/FolderPacking.h"

#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/FileOpen.h"
#include "platform/NewFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <map>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

bool IsHidden(const fs::path& path) { return Utf8FromPath(path.filename()).starts_with('.'); }

constexpr unsigned kMaxWorkers = 8;
constexpr std::size_t kBatchFiles = 256;
constexpr std::uint64_t kBatchBytes = std::uint64_t{64} << 20;

// The file's bytes; a Refusal naming the file when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const fs::path& file)
{
    auto fail = [&](int error) {
        throw Refusal(RefusalKind::Io, Utf8FromPath(file) + ": " + IoErrorMessage(IoCodeFromErrno(error)), file);
    };
    std::FILE* stream = OpenFile(file, "rb");
    if (!stream)
        fail(errno);
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    const int error = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (error != 0)
        fail(error);
    return bytes;
}

// A relative path as UTF-8 with "/" between its parts.
std::string InsidePath(const fs::path& relative)
{
    std::string path;
    for (const fs::path& part : relative) {
        if (!path.empty())
            path += '/';
        path += Utf8FromPath(part);
    }
    return path;
}

bool Stored(std::string_view path, const std::vector<std::string>& patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern) { return MatchesGlob(path, pattern); });
}

} // namespace

FolderPack ListFolderPack(const fs::path& folder, const ArchivePacker& packer, const fs::path& skip)
{
    FolderPack pack;
    std::error_code ec;
    const bool skipExists = fs::exists(skip, ec);
    fs::recursive_directory_iterator it(folder, ec);
    if (ec)
        throw IoError(IoCodeFromErrorCode(ec));
    auto visit = [&](const fs::directory_entry& entry) {
        const std::string path = InsidePath(entry.path().lexically_relative(folder));
        if (IsHidden(entry.path())) {
            if (entry.is_directory(ec) && !entry.is_symlink(ec))
                it.disable_recursion_pending();
            return;
        }
        const fs::file_status status = entry.status(ec);
        if (entry.is_symlink(ec) && fs::is_directory(status))
            pack.refused.push_back(path + ": a link to a folder; not followed");
        else if (fs::is_directory(status))
            return;
        else if (!fs::is_regular_file(status))
            pack.refused.push_back(path + ": not a regular file");
        else if (!skipExists || !fs::equivalent(entry.path(), skip, ec))
            pack.files.push_back({path, entry.path()});
    };
    for (const fs::recursive_directory_iterator end; it != end;) {
        visit(*it);
        it.increment(ec);
        if (ec)
            throw IoError(IoCodeFromErrorCode(ec));
    }
    std::sort(pack.files.begin(), pack.files.end(),
              [](const FolderPack::File& a, const FolderPack::File& b) { return a.path < b.path; });
    std::map<std::string, std::string> seen; // key -> the first path of that key
    std::vector<FolderPack::File> kept;
    for (FolderPack::File& file : pack.files) {
        if (const auto why = packer.Refusal(file.path)) {
            pack.refused.push_back(file.path + ": " + *why);
            continue;
        }
        const auto [first, fresh] = seen.emplace(GamePathKey(file.path), file.path);
        if (!fresh) {
            pack.refused.push_back(file.path + ": the same name as " + first->second +
                                   " in an archive, whose names are read without regard to case");
            continue;
        }
        kept.push_back(std::move(file));
    }
    pack.files = std::move(kept);
    std::sort(pack.refused.begin(), pack.refused.end());
    return pack;
}

PackSummary WriteFolderPack(const FolderPack& pack, ArchivePacker& packer,
                            const std::vector<std::string>& storePatterns, const fs::path& target)
{
    // Files are read and compressed on every processor, a batch at a time,
    // and added in their order; a batch holds a bounded number of bytes.
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
    PackSummary summary;
    const std::size_t count = pack.files.size();
    for (std::size_t start = 0; start < count;) {
        std::size_t end = start;
        for (std::uint64_t batchBytes = 0; end < count && end - start < kBatchFiles && batchBytes < kBatchBytes;
             ++end) {
            std::error_code ec;
            batchBytes += fs::file_size(pack.files[end].source, ec);
        }
        std::vector<ArchivePacker::PackedFile> prepared(end - start);
        std::vector<std::exception_ptr> failures(end - start);
        std::atomic<std::size_t> next{start};
        auto work = [&] {
            for (std::size_t i; (i = next++) < end;) {
                const FolderPack::File& file = pack.files[i];
                try {
                    prepared[i - start] =
                        packer.Prepare(file.path, ReadFileBytes(file.source), Stored(file.path, storePatterns));
                } catch (...) {
                    failures[i - start] = std::current_exception();
                }
            }
        };
        std::vector<std::thread> threads;
        try {
            for (unsigned k = 1; k < workers && k < end - start; ++k)
                threads.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than asked for: those started and this one do the work.
        }
        work();
        for (std::thread& thread : threads)
            thread.join();
        for (std::size_t i = start; i < end; ++i) {
            if (failures[i - start])
                std::rethrow_exception(failures[i - start]);
            summary.unpackedBytes += prepared[i - start].unpackedSize;
            packer.Add(std::move(prepared[i - start]));
        }
        start = end;
    }
    summary.files = packer.Count();
    summary.compressed = packer.CompressedCount();
    const std::vector<std::uint8_t> archive = packer.Finish();
    summary.archiveBytes = archive.size();
    WriteNewFile(target, archive);
    return summary;
}

} // namespace quarnel
