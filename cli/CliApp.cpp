#include "cli/CliApp.h"

#include "cli/Commands.h"
#include "platform/VersionInfo.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace quarnel::cli {

void ReportError(std::ostream& err, const std::string& where, const std::string& what)
{
    // A message that starts with the name already ("a.dat: not a DAT archive",
    // "x.pro is also in master.dat") names it once.
    const bool named = !where.empty() && what.size() > where.size() && what.compare(0, where.size(), where) == 0 &&
                       (what[where.size()] == ':' || what[where.size()] == ' ');
    err << "quarnel-cli: ";
    if (!named)
        err << where << ": ";
    err << what << '\n';
}

void ReportError(std::ostream& err, const std::string& where, const std::exception& error)
{
    ReportError(err, where, std::string(error.what()));
}

namespace {

// The parsed values of every command; the one given fills its own.
struct CommandValues {
    ShowOptions show;
    ExportOptions exported;
    ImportOptions imported;
    SetOptions set;
    DiffOptions diff;
    MergeOptions merge;
    CheckOptions check;
    NamesOptions names;
    DatOptions dat;
    DataOptions data;
    ArtOptions art;
    FrmOptions frm;
    NewOptions created;
    RenameOptions renamed;
};

// One subcommand: its name and help line, the function adding its options
// and the one running it.
struct Command {
    const char* name;
    const char* description;
    void (*addOptions)(CLI::App& command, CommandValues& values);
    int (*run)(const CommandValues& values, std::ostream& out, std::ostream& err);
};

template <auto Member, auto AddOptions, auto Run> constexpr Command Entry(const char* name, const char* description)
{
    return {name, description, [](CLI::App& command, CommandValues& values) { AddOptions(command, values.*Member); },
            [](const CommandValues& values, std::ostream& out, std::ostream& err) {
                return Run(values.*Member, out, err);
            }};
}

// In the order of the program's help.
constexpr Command kCommands[] = {
    Entry<&CommandValues::show, AddShowOptions, RunShow>(
        "show", "Every field of each file as 'key = value' lines, in file order "
                "(enum names and critter flag names in comments)"),
    Entry<&CommandValues::exported, AddExportOptions, RunExport>(
        "export", "Each file as a JSON object of its stored values (several "
                  "files: one object keyed by file name)"),
    Entry<&CommandValues::imported, AddImportOptions, RunImport>(
        "import", "Write one critter's JSON object into an existing critter "
                  "file of the same layout (all fields, or nothing)"),
    Entry<&CommandValues::set, AddSetOptions, RunSet>("set",
                                                      "Edit fields of many files: set [options] EDIT... -- FILE...; "
                                                      "EDIT is key=value, key+=n or key-=n"),
    Entry<&CommandValues::diff, AddDiffOptions, RunDiff>("diff", "The fields in which two files differ, 'key: a -> b'"),
    Entry<&CommandValues::check, AddCheckOptions, RunCheck>(
        "check", "Report what to mend before shipping a folder: sizes, PIDs, "
                 "names, genders, statistics, resistances, body and kill types"),
    Entry<&CommandValues::names, AddNamesOptions, RunNames>("names",
                                                            "Print the pro_crit.ini equivalent of a pro_crit.msg"),
    Entry<&CommandValues::dat, AddDatOptions, RunDat>("dat",
                                                      "A game archive (either game's DAT format, told apart "
                                                      "by its content) taken apart, or a folder packed into one"),
    Entry<&CommandValues::data, AddDataOptions, RunData>(
        "data", "The merged file tree of an install or a mod's tree, as the game "
                "reads it: data INSTALL list|where|cat|extract|diff ..."),
    Entry<&CommandValues::art, AddArtOptions, RunArt>("art",
                                                      "A critter's standing picture from its game's files as a PNG "
                                                      "(FID -> art/critters/critters.lst -> FRM, color.pal)"),
    Entry<&CommandValues::frm, AddFrmOptions, RunFrm>("frm", "An FRM picture as a PNG (--palette, --out), or its "
                                                             "header and frames (--info)"),
    Entry<&CommandValues::created, AddNewOptions, RunNew>(
        "new", "A new prototype in a tree from an existing one: the next number of its type's list, its own "
               "name and description"),
    Entry<&CommandValues::renamed, AddRenameOptions, RunRename>(
        "rename", "Set a prototype's name and description in its type's message file"),
    Entry<&CommandValues::merge, AddMergeOptions, RunMerge>(
        "merge", "git's merge driver for prototypes: merge BASE OURS THEIRS writes into OURS each field "
                 "changed on one side; fields changed on both list as 'key: base -> ours | theirs'"),
};

// set takes its files after "--", which CLI11 would otherwise hand to the
// edits as more positional values: they are taken off the arguments here.
// Returns whether there was a "--".
bool TakeSetFiles(std::vector<std::string>& arguments, SetOptions& set)
{
    if (arguments.empty() || arguments.front() != "set")
        return false;
    const auto separator = std::find(arguments.begin(), arguments.end(), "--");
    if (separator == arguments.end())
        return false;
    set.files.assign(separator + 1, arguments.end());
    arguments.erase(separator, arguments.end());
    return true;
}

// CLI11 would take an unknown first word for a missing command: it is
// reported with the list of commands. Returns whether it was.
bool ReportUnknownCommand(const std::vector<std::string>& arguments, std::ostream& err)
{
    if (arguments.empty() || arguments.front().empty() || arguments.front()[0] == '-')
        return false;
    std::string names;
    for (const Command& command : kCommands) {
        if (command.name == arguments.front())
            return false;
        names += (names.empty() ? "" : ", ") + std::string(command.name);
    }
    ReportError(err, arguments.front(), "unknown command; the commands are " + names);
    return true;
}

} // namespace

int RunCli(std::vector<std::string> arguments, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Critter prototype files (*.pro) of Fallout 1 and 2 as text: show, export and import, batch "
                 "edits, diff and checks. A folder argument stands for every *.pro file in it.\n"
                 "Exit status: 0 success, 1 differences (diff) or findings (check), 2 an error.",
                 "quarnel-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quarnel-cli " + ReleaseVersionText() + "\nLicence: " + kLicenceName,
                         "print the version and exit");
    // "/path" is a file name on both systems, never a Windows-style option
    // (the subcommands take this setting from the app).
    app.allow_windows_style_options(false);
    CommandValues values;
    for (const Command& command : kCommands)
        command.addOptions(*app.add_subcommand(command.name, command.description), values);

    const bool setHasFiles = TakeSetFiles(arguments, values.set);
    if (ReportUnknownCommand(arguments, err))
        return kExitError;

    try {
        std::reverse(arguments.begin(), arguments.end());
        app.parse(arguments);
        if (app.got_subcommand("set") && (!setHasFiles || values.set.files.empty()))
            throw CLI::ValidationError("set: no FILE after --", CLI::ExitCodes::ValidationError);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitSuccess : kExitError;
    }

    const std::string given = app.get_subcommands().front()->get_name();
    try {
        for (const Command& command : kCommands)
            if (given == command.name)
                return command.run(values, out, err);
        return kExitError; // not reached: CLI11 takes only the commands added above
    } catch (const std::exception& error) {
        ReportError(err, given, error);
        return kExitError;
    }
}

} // namespace quarnel::cli
