#include "platform/cdaudio/cdaudio.h"

#include "platform/drives/drives.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <cdio/cdio.h>
#include <sys/stat.h>

namespace CdAudio {
namespace {

QHash<QString, QString>& aliases()
{
    static QHash<QString, QString> a;
    return a;
}

TrayAction& trayAction()
{
    static TrayAction t;
    return t;
}

QString firstOpticalDevice()
{
    for (const Drives::Drive& d : Drives::table())
        if (d.type == Drives::CdRom && !d.device.isEmpty())
            return d.device;
    return QString();
}

bool isBlockDevice(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

bool moveTray(const QString& action, const QString& device)
{
    if (trayAction())
        return trayAction()(action, device);
    // An image file stands for a disc, not for a drive with a tray.
    if (!isBlockDevice(device))
        return false;
    const QByteArray dev = QFile::encodeName(device);
    if (action == QLatin1String("eject"))
        return cdio_eject_media_drive(dev.constData()) == DRIVER_OP_SUCCESS;
    driver_id_t driver = DRIVER_DEVICE;
    return cdio_close_tray(dev.constData(), &driver) == DRIVER_OP_SUCCESS;
}

}  // namespace

void setTrayActionForTests(TrayAction action) { trayAction() = std::move(action); }

QString deviceOf(const QString& alias) { return aliases().value(alias.toLower()); }

int mciSendString(const QString& command)
{
    QStringList w = command.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!w.isEmpty() && w.last() == QLatin1String("wait"))
        w.removeLast();
    if (w.isEmpty())
        return UnrecognizedCommand;

    if (w[0] == QLatin1String("open") && w.size() >= 2 && w[1] == QLatin1String("cdaudio")) {
        if (w.size() != 2 && !(w.size() == 4 && w[2] == QLatin1String("alias")))
            return UnrecognizedCommand;
        const QString device = firstOpticalDevice();
        if (device.isEmpty())
            return NoDevice;
        aliases().insert(w.size() == 4 ? w[3] : QStringLiteral("cdaudio"), device);
        return NoError;
    }
    if (w[0] == QLatin1String("close") && w.size() == 2) {
        if (w[1] == QLatin1String("all")) {
            aliases().clear();
            return NoError;
        }
        return aliases().remove(w[1]) ? NoError : UnknownAlias;
    }
    if (w[0] == QLatin1String("set") && w.size() == 4 && w[2] == QLatin1String("door") &&
        (w[3] == QLatin1String("open") || w[3] == QLatin1String("closed"))) {
        const QString device = aliases().value(w[1]);
        if (device.isEmpty())
            return UnknownAlias;
        return moveTray(w[3] == QLatin1String("open") ? QStringLiteral("eject") : QStringLiteral("close"), device)
                   ? NoError
                   : Failed;
    }
    return UnrecognizedCommand;
}

}  // namespace CdAudio
