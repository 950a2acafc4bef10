#include "library/CritterNameFile.h"

#include "library/IniFile.h"
#include "library/MessageFile.h"
#include "platform/FolderListing.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <system_error>

namespace quarnel {
namespace {

const char* const kIniName = "pro_crit.ini";
const char* const kMessageName = "pro_crit.msg";
const char* const kSection = "Description";

std::string LowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

std::filesystem::path CritterNameFile(const std::filesystem::path& gameFolder)
{
    const std::filesystem::path ini = gameFolder / kIniName;
    std::error_code ec;
    if (std::filesystem::exists(ini, ec))
        return ini;
    for (const std::string& name : ListFolderFiles(gameFolder, ".msg"))
        if (LowerCase(name) == kMessageName)
            return gameFolder / PathFromUtf8(name);
    return ini;
}

bool IsMessageFile(const std::filesystem::path& file) { return LowerCase(Utf8FromPath(file.extension())) == ".msg"; }

CritterNames LoadCritterNames(const std::filesystem::path& nameFile, NameEncoding chosen, std::string_view language)
{
    CritterNames names;
    if (!IsMessageFile(nameFile)) {
        const std::string bytes = ReadFileBytes(IniFilePath(nameFile));
        names.table = NameTable::FromIniText(bytes, kSection);
        names.encoding = ChooseNameEncoding(bytes, language, chosen);
        return names;
    }
    return MessageFileNames(ReadMessageFileBytes(nameFile), Utf8FromPath(nameFile.filename()), chosen, language);
}

CritterNames MessageFileNames(std::string_view bytes, const std::string& label, NameEncoding chosen,
                              std::string_view language)
{
    CritterNames names;
    MessageFileResult messages = ParseMessageText(bytes);
    names.table = std::move(messages.table);
    names.encoding = ChooseNameEncoding(bytes, language, chosen);
    names.fault = std::move(messages.fault);
    if (names.fault)
        names.error = MessageFaultText(label, *names.fault);
    return names;
}

std::string LookupCritterName(const std::filesystem::path& nameFile, const std::string& key)
{
    if (!IsMessageFile(nameFile))
        return ReadIniValue(nameFile, kSection, key);
    return ReadMessageFile(nameFile).table.Lookup(key);
}

} // namespace quarnel
