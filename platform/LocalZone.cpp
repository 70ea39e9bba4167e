#include "platform/LocalZone.h"

#include <QFileInfo>
#include <QtGlobal>

namespace LocalZone {

void ReadOnce()
{
    constexpr char zoneFile[] = "/etc/localtime";
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QString::fromLatin1(zoneFile)))
        qputenv("TZ", QByteArray(":") + zoneFile);
}

} // namespace LocalZone
