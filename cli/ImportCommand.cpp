// import: one prototype's JSON object written into an existing prototype
// file of the same type and subtype.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterJson.h"
#include "cli/RecordText.h"
#include "cli/CommandSource.h"
#include "cli/WriteFailure.h"
#include "platform/RegularFile.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <optional>
#include <set>
#include <vector>

namespace quarnel::cli {
namespace {

// A critter's JSON is about 2 KB; anything far larger is not one.
constexpr std::size_t kMaxJsonBytes = std::size_t{1} << 20;

// Watches a SAX pass for a key given twice in one object (the parser would
// silently keep one of them) and names it by its dotted path ("base.ST").
class RepeatedKeyFinder : public nlohmann::json_sax<nlohmann::json> {
public:
    const std::string& repeated() const { return repeated_; }

    bool start_object(std::size_t) override
    {
        open_.push_back({pendingKey_, {}});
        return true;
    }
    bool end_object() override
    {
        open_.pop_back();
        pendingKey_.clear();
        return true;
    }
    bool key(string_t& name) override
    {
        if (!open_.back().keys.insert(name).second && repeated_.empty())
            repeated_ = Path(name);
        pendingKey_ = Path(name);
        return true;
    }
    bool start_array(std::size_t) override { return Value(); }
    bool end_array() override { return Value(); }
    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    struct OpenObject {
        std::string path; // the dotted path of the object, empty at the top
        std::set<std::string> keys;
    };
    bool Value()
    {
        pendingKey_.clear();
        return true;
    }
    std::string Path(const std::string& name) const
    {
        const std::string& parent = open_.back().path;
        return parent.empty() ? name : parent + "." + name;
    }

    std::vector<OpenObject> open_;
    std::string pendingKey_; // the path of the value about to be read
    std::string repeated_;
};

// Parses the text, refusing an oversized text before parsing and a key given
// twice in one object.
nlohmann::json ParseCritterJson(const std::string& text)
{
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        throw CliError(std::string("not JSON: ") + error.what());
    }
    RepeatedKeyFinder finder;
    nlohmann::json::sax_parse(text, &finder);
    if (!finder.repeated().empty())
        throw CliError(finder.repeated() + ": given twice");
    return parsed;
}

std::string ReadJsonText(const std::filesystem::path& file)
{
    try {
        return ReadFileBytes(file, kMaxJsonBytes);
    } catch (const FileRefusedError& error) {
        throw CliError(std::string(error.what()) + " (a critter's JSON is about 2 KB)");
    }
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
    nlohmann::json parsed;
    try {
        parsed = ParseCritterJson(ReadJsonText(jsonFile));
        if (IsExportOfSeveral(parsed))
            throw CliError("holds " + std::to_string(parsed.size()) +
                           " critters (an export of several files); import takes the object of one");
    } catch (const std::exception& error) {
        ReportError(err, options.json, error);
        return kExitError;
    }
    // Each failure names the file it concerns: the target when it cannot be
    // read or written, the JSON file when its content does not fit the target.
    std::unique_ptr<PrototypeSource> source;
    std::optional<LoadedPrototype> loaded;
    std::optional<Prototype> before;
    std::optional<ProRecord> after;
    try {
        source = OpenCommandSource(options.data, err);
        loaded = source->Read(source->ResolveOne(options.target));
        before = PrototypeOf(*loaded);
    } catch (const std::exception& error) {
        ReportError(err, options.target, error);
        return kExitError;
    }
    try {
        after = PrototypeFromJson(parsed, *before);
    } catch (const std::exception& error) {
        ReportError(err, options.json, error);
        return kExitError;
    }
    try {
        source->Write(*loaded, after->bytes(), options.force);
    } catch (const std::exception& error) {
        ReportWriteFailure(err, options.target, error);
        return kExitError;
    }
    return kExitSuccess;
}

} // namespace quarnel::cli
