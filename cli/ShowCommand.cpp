// show: every field of each file as "key = value" lines, under the
// prototype's name and description where its message file is at hand.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/PrototypeNames.h"
#include "cli/RecordText.h"
#include "platform/RegularFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstdio>

namespace quarnel::cli {
namespace {

// The most of a file the text converter dumps; git diffs text, not archives.
constexpr std::size_t kMaxDumpBytes = std::size_t{1} << 20;

// "00000010  01 00 00 00 ..." lines, 16 bytes each, so that a diff of a
// file that is not a critter still shows what changed.
void AppendHexDump(std::string& text, const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    for (std::size_t line = 0; line < bytes.size(); line += 16) {
        char offset[24];
        std::snprintf(offset, sizeof offset, "%08zx ", line);
        text += offset;
        for (std::size_t i = line; i < std::min(line + 16, bytes.size()); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            text += ' ';
            text += digits[byte >> 4];
            text += digits[byte & 15];
        }
        text += '\n';
    }
}

// The git text converter: one file, and never a failure, since git stops a
// whole log at the first file its converter cannot take. The text depends on
// the bytes only (no names): git converts old versions from copies elsewhere.
int RunTextConverter(const std::string& argument, std::ostream& out)
{
    const auto file = PathFromUtf8(argument);
    std::string text;
    // A file that cannot be read, or that is no prototype of another type
    // either, is named as it always was: not a critter.
    std::string why;
    bool otherType = false;
    try {
        AppendShowText(text, ReadPrototype(file));
    } catch (const CliError& error) {
        why = error.what();
        otherType = why.find("not a critter prototype") == std::string::npos;
    } catch (const std::exception& error) {
        why = error.what();
    }
    if (!why.empty()) {
        text = std::string(otherType ? "# not shown as a prototype: " : "# not shown as a critter: ") + why + "\n";
        try {
            const std::string bytes = ReadFilePrefix(file, kMaxDumpBytes + 1);
            AppendHexDump(text, bytes.substr(0, kMaxDumpBytes));
            if (bytes.size() > kMaxDumpBytes)
                text += "# only the first 1 MiB is shown\n";
        } catch (const std::exception&) {
            // Nothing to dump: the comment says why.
        }
    }
    out << text;
    return kExitSuccess;
}

} // namespace

int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.textconv) {
        if (options.files.size() != 1) {
            ReportError(err, "show", "--textconv takes exactly one file");
            return kExitError;
        }
        if (!options.data.empty()) {
            ReportError(err, "show", "--textconv reads the one file given as it is; it takes no --data");
            return kExitError;
        }
        return RunTextConverter(options.files.front(), out);
    }
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    const auto files = source->Resolve(options.files);
    PrototypeNames names(*source, err);
    int status = kExitSuccess;
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        text.clear();
        try {
            const Prototype prototype = PrototypeOf(source->Read(files[i]));
            // Several files: each block headed by its name, a blank line between.
            if (files.size() > 1)
                text += (i > 0 ? "\n# " : "# ") + files[i].label + "\n";
            text += names.HeaderLines(files[i], prototype);
            AppendShowText(text, prototype);
        } catch (const std::exception& error) {
            ReportError(err, files[i].label, error);
            status = kExitError;
            continue;
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return status;
}

} // namespace quarnel::cli
