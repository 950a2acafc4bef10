// export: each file as a JSON object. One file named on its own prints its
// object; several files or a folder print one object keyed by file name.
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "cli/CritterJson.h"
#include "cli/RecordText.h"

#include <filesystem>
#include <set>
#include <system_error>

namespace quarnel::cli {
namespace {

// Indents every line after the first by two more blanks.
std::string Nested(const std::string& text)
{
    std::string nested;
    nested.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        nested += c;
        if (c == '\n')
            nested += "  ";
    }
    return nested;
}

} // namespace

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err)
{
    const auto files = CritterFiles(options.files);
    const std::optional<bool> chosen = ChosenSecondGame(options.game);
    std::error_code ec;
    const bool single = options.files.size() == 1 && !std::filesystem::is_directory(files.front(), ec);

    int status = kExitSuccess;
    std::set<std::string> written;
    std::string text = single ? "" : "{";
    const auto quoted = [](const std::string& label) {
        // A name that is not UTF-8 (possible on Linux) keeps a replacement character.
        return nlohmann::json(label).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    for (const auto& file : files) {
        const std::string label = FileLabel(file);
        if (!written.insert(label).second)
            continue;
        try {
            const ProRecord record = ReadCritter(file);
            const std::string object = CritterToJson(record, IsSecondGameFile(file, record.size(), chosen)).dump(2);
            if (single)
                text += object;
            else
                text += (written.size() > 1 ? ",\n  " : "\n  ") + quoted(label) + ": " + Nested(object);
        } catch (const std::exception& error) {
            ReportError(err, label, error);
            status = kExitError;
            written.erase(label);
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    }
    if (!single || !written.empty())
        out << (single ? "\n" : "\n}\n");
    return status;
}

} // namespace quarnel::cli
