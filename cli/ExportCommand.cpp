// export: each file as a JSON object. One file named on its own prints its
// object; several files or a folder print one object keyed by file name.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/CritterJson.h"
#include "cli/RecordText.h"
#include "source/GameChoice.h"

#include <map>

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

// The key of each file in the object of several: its file name, or the path
// as given where two files of the call share a name.
std::vector<std::string> ExportKeys(const std::vector<SourceFile>& files)
{
    std::map<std::string, int> uses;
    for (const auto& file : files)
        ++uses[FileLabel(file.file.filename())];
    std::vector<std::string> keys;
    for (const auto& file : files) {
        const std::string name = FileLabel(file.file.filename());
        keys.push_back(uses[name] > 1 ? file.label : name);
    }
    return keys;
}

} // namespace

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    const auto files = source->Resolve(options.files);
    const std::optional<bool> chosen = ChosenSecondGame(options.game);
    // One file named on its own prints its bare object; a folder always
    // gives the object keyed by file name, however many files it holds.
    const bool single = options.files.size() == 1 && files.size() == 1 && source->NamesOneFile(options.files.front());
    const std::vector<std::string> keys = ExportKeys(files);

    int status = kExitSuccess;
    bool first = true;
    std::string text = single ? "" : "{";
    const auto quoted = [](const std::string& label) {
        // A name that is not UTF-8 (possible on Linux) keeps a replacement character.
        return nlohmann::json(label).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        try {
            const Prototype prototype = PrototypeOf(source->Read(files[i]));
            const bool secondGame = source->IsSecondGame(files[i], prototype.record.size(), chosen);
            const std::string object = PrototypeToJson(prototype, secondGame).dump(2);
            if (single)
                text += object;
            else
                text += (first ? "\n  " : ",\n  ") + quoted(keys[i]) + ": " + Nested(object);
            first = false;
        } catch (const std::exception& error) {
            ReportError(err, files[i].label, error);
            status = kExitError;
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    }
    if (!single)
        out << (first ? "}\n" : "\n}\n");
    else if (!first)
        out << "\n";
    return status;
}

} // namespace quarnel::cli
