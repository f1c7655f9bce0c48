#include "platform/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cmath>
#include <limits>
#include <memory>

namespace SettingsStore {
namespace {

std::unique_ptr<QSettings>& store()
{
    static std::unique_ptr<QSettings> s;
    if (!s) {
        s = std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
        s->beginGroup(QStringLiteral("myplay"));
    }
    return s;
}

FailureHandler& failureHandler()
{
    static FailureHandler h;
    return h;
}

bool& failureTold()
{
    static bool told = false;
    return told;
}

// Why the file at `path` cannot be written, in words. QSettings only says that it failed, so the causes
// a user can mend are looked for one by one; for the rest, a trial write beside the file, as large as
// the file, gives the system's own words (a full disk, a quota, an input/output error).
QString whyNotWritable(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("a folder of that name stands in its place");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("its folder %1 cannot be made").arg(folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("its folder %1 is read-only").arg(folder.filePath());
    QTemporaryFile trial(folder.filePath() + QStringLiteral("/.zozid-XXXXXX"));
    if (!trial.open())
        return trial.errorString();
    const QByteArray block(file.size() + 4096, ' ');
    if (trial.write(block) != block.size() || !trial.flush())
        return trial.errorString();
    return QStringLiteral("it could not be written");
}

}  // namespace

void setFailureHandler(FailureHandler handler) { failureHandler() = std::move(handler); }

QString filePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/zozid.ini");
}

QString GetSetting(const QString& key, const QString& defaultValue)
{
    const QVariant v = store()->value(key);
    if (!v.isValid())
        return defaultValue;
    // A hand-edited file may hold a value that QSettings reads as a list ("a, b"); keep its text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void SaveSetting(const QString& key, const QString& value)
{
    auto& s = store();
    s->setValue(key, value);
    // QSettings commits through a temporary file and a rename: a failed write leaves the old file whole.
    s->sync();
    if (s->status() == QSettings::NoError || failureTold())
        return;
    failureTold() = true;
    if (failureHandler())
        failureHandler()(filePath(), whyNotWritable(filePath()));
}

bool textToFlag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double n = t.toDouble(&ok);
    return ok && n != 0.0;
}

bool GetFlag(const QString& key) { return textToFlag(GetSetting(key, QStringLiteral("False"))); }

void SaveFlag(const QString& key, bool value) { SaveSetting(key, flagText(value)); }

long long GetNumber(const QString& key, long long defaultValue)
{
    bool ok = false;
    const QString t = GetSetting(key).trimmed();
    const long long n = t.toLongLong(&ok);
    if (ok)
        return n;
    // A number beyond the range stops at its end; a fraction loses its fractional part.
    const double d = t.toDouble(&ok);
    if (!ok || std::isnan(d))
        return defaultValue;
    if (d >= 0x1p63)
        return std::numeric_limits<long long>::max();
    if (d < -0x1p63)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(d);
}

void reset()
{
    store().reset();
    failureTold() = false;
}

}  // namespace SettingsStore
