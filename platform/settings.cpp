#include "platform/settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
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

}  // namespace

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
    // QSettings commits through a temporary file and a rename.
    s->sync();
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
    const double d = t.toDouble(&ok);
    if (ok && d > -9.2e18 && d < 9.2e18)
        return static_cast<long long>(d);
    return defaultValue;
}

void reset() { store().reset(); }

}  // namespace SettingsStore
