// show: every field of each file as "key = value" lines.
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "cli/RecordText.h"

namespace quarnel::cli {

int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err)
{
    const auto files = CritterFiles(options.files);
    int status = kExitSuccess;
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        text.clear();
        try {
            const ProRecord record = ReadCritter(files[i]);
            // Several files: each block headed by its name, a blank line between.
            if (files.size() > 1)
                text += (i > 0 ? "\n# " : "# ") + FileLabel(files[i]) + "\n";
            AppendShowText(text, record);
        } catch (const std::exception& error) {
            ReportError(err, FileLabel(files[i]), error);
            status = kExitError;
            continue;
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return status;
}

} // namespace quarnel::cli
