#include "platform/profile.h"

#include "platform/textfile.h"

#include <QFileInfo>

namespace Profile {
namespace {

// The value of `key` in `section`, or a null string when it is not there.
QString lookup(const QString& text, const QString& section, const QString& key)
{
    bool inSection = false;
    const QStringList lines = TextFile::splitLines(text);
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value.isNull() ? QString(QLatin1String("")) : value;
    }
    return QString();
}

}  // namespace

int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            int size, const QString& path, QString* out)
{
    out->clear();
    if (size <= 0)
        return 0;
    QString value;
    QString text;
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile() && TextFile::read(path, &text))
        value = lookup(text, section, key);
    if (value.isNull())
        value = defaultValue;
    *out = value.left(size - 1);
    return int(out->size());
}

}  // namespace Profile
