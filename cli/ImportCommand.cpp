// import: one critter's JSON object written into an existing critter file.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterJson.h"
#include "cli/RecordText.h"
#include "cli/RecordWriter.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <optional>
#include <set>
#include <vector>

namespace quarnel::cli {
namespace {

// Parses the text, refusing a key given twice in one object (the parser
// would silently keep one of them).
nlohmann::json ParseCritterJson(const std::string& text)
{
    std::vector<std::set<std::string>> open; // the keys seen in each enclosing object
    std::string repeated;
    auto watch = [&](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        if (event == Event::object_start)
            open.emplace_back();
        else if (event == Event::object_end)
            open.pop_back();
        else if (event == Event::key && !open.back().insert(parsed.get<std::string>()).second && repeated.empty())
            repeated = parsed.get<std::string>();
        return true;
    };
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(text, watch);
    } catch (const nlohmann::json::parse_error& error) {
        throw CliError(std::string("not JSON: ") + error.what());
    }
    if (!repeated.empty())
        throw CliError(repeated + ": given twice");
    return parsed;
}

// An export of several files: an object of critter objects keyed by file name.
bool IsExportOfSeveral(const nlohmann::json& parsed)
{
    if (!parsed.is_object() || parsed.empty() || parsed.contains("pid"))
        return false;
    for (const auto& value : parsed)
        if (!value.is_object() || !value.contains("pid"))
            return false;
    return true;
}

} // namespace

int RunImport(const ImportOptions& options, std::ostream&, std::ostream& err)
{
    const auto jsonFile = PathFromUtf8(options.json);
    const auto target = PathFromUtf8(options.target);
    nlohmann::json parsed;
    try {
        parsed = ParseCritterJson(ReadFileBytes(jsonFile));
        if (IsExportOfSeveral(parsed))
            throw CliError("holds " + std::to_string(parsed.size()) +
                           " critters (an export of several files); import takes the object of one");
    } catch (const std::exception& error) {
        ReportError(err, options.json, error);
        return kExitError;
    }
    // Each failure names the file it concerns: the target when it cannot be
    // read or written, the JSON file when its content does not fit the target.
    std::optional<ProRecord> before;
    std::optional<ProRecord> after;
    try {
        before = ReadCritter(target);
    } catch (const std::exception& error) {
        ReportError(err, options.target, error);
        return kExitError;
    }
    try {
        after = CritterFromJson(parsed, *before);
    } catch (const std::exception& error) {
        ReportError(err, options.json, error);
        return kExitError;
    }
    try {
        WriteRecordChanges(target, *before, *after);
    } catch (const std::exception& error) {
        ReportError(err, options.target, error);
        return kExitError;
    }
    return kExitSuccess;
}

} // namespace quarnel::cli
