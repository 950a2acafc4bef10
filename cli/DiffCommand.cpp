// diff: the fields in which two critter files differ, "key: a -> b".
#include "cli/Commands.h"
#include "cli/CritterSource.h"
#include "cli/RecordText.h"
#include "platform/Utf8.h"

namespace quarnel::cli {

int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err)
{
    const CritterSource source(options.data, err);
    ProRecord records[2];
    const std::string* names[2] = {&options.first, &options.second};
    for (int i = 0; i < 2; ++i) {
        try {
            records[i] = source.Read(source.One(*names[i]));
        } catch (const std::exception& error) {
            ReportError(err, *names[i], error);
            return kExitError;
        }
    }
    // A field only one of the two layouts has (damage_type) shows as absent in the other.
    auto text = [&](int i, const RecordField& field) {
        return RecordHasField(field, records[i].size()) ? FieldValueText(field, FieldValue(records[i], field))
                                                         : std::string("absent");
    };
    std::string lines;
    for (const RecordField& field : RecordLayout()) {
        const std::string a = text(0, field);
        const std::string b = text(1, field);
        if (a != b)
            lines += field.key + ": " + a + " -> " + b + "\n";
    }
    out << lines;
    return lines.empty() ? kExitSuccess : kExitFindings;
}

} // namespace quarnel::cli
