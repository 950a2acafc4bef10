#pragma once
// The commands of quarnel-cli, each in its own file, run with the parsed
// arguments and the two output streams. Exit status: 0 success, 1 the
// differences of diff or the findings of check, 2 an error (reported on err).
#include <exception>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitFindings = 1;
constexpr int kExitError = 2;

struct ShowOptions {
    std::vector<std::string> files;
};
int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err);

struct ExportOptions {
    std::string game; // "", "fo1" or "fo2"
    std::vector<std::string> files;
};
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

struct ImportOptions {
    std::string json;
    std::string target;
};
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err);

struct SetOptions {
    std::string game;
    bool rules = false;
    bool dryRun = false;
    std::vector<std::string> edits;
    std::vector<std::string> files;
};
int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err);

struct DiffOptions {
    std::string first;
    std::string second;
};
int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err);

struct CheckOptions {
    std::string folder;
};
int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

struct NamesOptions {
    std::string messageFile;
};
int RunNames(const NamesOptions& options, std::ostream& out, std::ostream& err);

// "quarnel-cli: <where>: <what of the exception>" on err.
void ReportError(std::ostream& err, const std::string& where, const std::exception& error);
void ReportError(std::ostream& err, const std::string& where, const std::string& what);

} // namespace quarnel::cli
