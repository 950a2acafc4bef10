#include "editor/PngFileSaving.h"

#include "editor/PathText.h"
#include "platform/NewFile.h"
#include "platform/UserDialogs.h"

#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <vector>

namespace quarnel {

void SavePngFile(std::string fileName, const QByteArray& png)
{
    if (!QString::fromStdString(fileName).endsWith(".png", Qt::CaseInsensitive))
        fileName += ".png";
    const QFileInfo existing(QString::fromStdString(fileName));
    if ((existing.exists() || existing.isSymLink()) &&
        !Dialogs().AskYesNo(existing.fileName().toStdString() + " already exists. Replace it?"))
        return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    WriteNewFile(ToPath(QString::fromStdString(fileName)), std::vector<std::uint8_t>(bytes, bytes + png.size()));
}

} // namespace quarnel
