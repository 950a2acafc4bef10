// diff: the fields in which two prototype files differ, "key: a -> b"; two
// prototypes of different types or subtypes are said to be so.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/RecordText.h"
#include "platform/Utf8.h"

namespace quarnel::cli {

int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    Prototype prototypes[2];
    const std::string* names[2] = {&options.first, &options.second};
    for (int i = 0; i < 2; ++i) {
        try {
            prototypes[i] = PrototypeOf(source->Read(source->ResolveOne(*names[i])));
        } catch (const std::exception& error) {
            ReportError(err, *names[i], error);
            return kExitError;
        }
    }
    if (prototypes[0].kind != prototypes[1].kind) {
        out << (prototypes[0].kind.type == prototypes[1].kind.type ? "different subtypes: " : "different types: ")
            << KindText(prototypes[0].kind) << " -> " << KindText(prototypes[1].kind) << "\n";
        return kExitFindings;
    }
    // A field only one of the two layouts has (damage_type) shows as absent in the other.
    auto text = [&](int i, const RecordField& field) {
        return RecordHasField(field, prototypes[i].record.size())
                   ? FieldValueText(field, FieldValue(prototypes[i].record, field))
                   : std::string("absent");
    };
    std::string lines;
    for (const RecordField& field : KindLayout(prototypes[0].kind)) {
        const std::string a = text(0, field);
        const std::string b = text(1, field);
        if (a != b)
            lines += field.key + ": " + a + " -> " + b + "\n";
    }
    out << lines;
    return lines.empty() ? kExitSuccess : kExitFindings;
}

} // namespace quarnel::cli
