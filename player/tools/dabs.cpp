#include "player/tools/dabs.h"

#include "platform/drives/drives.h"

QString Dabs::GetDabs(const QString& Drv)
{
    quint32 serial = 0;
    if (!Drives::VolumeSerialNumber(Drv, &serial))
        return QStringLiteral("0");
    return QString::number(qint32(serial));
}
