#include "platform/programfolder.h"

#include <QDir>
#include <QFile>

namespace ProgramFolder {
namespace {

QString& cached()
{
    static QString p;
    return p;
}

void seed(const QString& folder)
{
    const QString readme = folder + QStringLiteral("/readme.txt");
    if (!QFile::exists(readme)) {
        QFile::copy(QStringLiteral(":/pellum/readme.txt"), readme);
        QFile::setPermissions(readme, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

}  // namespace

QString path()
{
    QString& p = cached();
    if (p.isEmpty()) {
        QString folder = qEnvironmentVariable("PELLUM_HOME");
        if (folder.isEmpty()) {
            QString data = qEnvironmentVariable("XDG_DATA_HOME");
            if (data.isEmpty())
                data = QDir::homePath() + QStringLiteral("/.local/share");
            folder = data + QStringLiteral("/PellumPlayer");
        }
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        QDir().mkpath(folder);
        seed(folder);
        p = folder;
    }
    return p;
}

QString file(const QString& name) { return path() + QLatin1Char('/') + name; }

void reset() { cached().clear(); }

}  // namespace ProgramFolder
