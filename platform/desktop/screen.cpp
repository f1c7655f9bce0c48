#include "platform/desktop/screen.h"

#include "platform/programfolder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#undef signals  // glib uses the word
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

namespace Screen {
namespace {

constexpr int kCallTimeoutMs = 5000;

void say(QString* how, const QString& text)
{
    if (how)
        *how = text;
}

QString dbusError(const QDBusMessage& reply)
{
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

// Sets a string key through GSettings. The schema is looked up first, so a desktop without it is an
// error text instead of an abort.
bool setGSetting(const char* schemaId, const char* key, const QString& value, QString* why)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema) {
        *why = QStringLiteral("the settings schema %1 is not installed").arg(QLatin1String(schemaId));
        return false;
    }
    if (!g_settings_schema_has_key(schema, key)) {
        g_settings_schema_unref(schema);
        *why = QStringLiteral("the settings schema %1 has no key %2").arg(QLatin1String(schemaId), QLatin1String(key));
        return false;
    }
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    const QByteArray v = value.toUtf8();
    const bool ok = g_settings_set_string(settings, key, v.constData());
    g_settings_sync();
    g_object_unref(settings);
    if (!ok)
        *why = QStringLiteral("%1 %2 cannot be written").arg(QLatin1String(schemaId), QLatin1String(key));
    return ok;
}

bool schemaHasKey(const char* schemaId, const char* key)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return false;
    const bool has = g_settings_schema_has_key(schema, key);
    g_settings_schema_unref(schema);
    return has;
}

// GSettings falls back to a store in memory when the desktop's (dconf) is missing; a wallpaper written
// there is gone with this process, so that is no success.
bool gsettingsPersist(QString* why)
{
    GSettingsBackend* backend = g_settings_backend_get_default();
    const QByteArray type = backend ? G_OBJECT_TYPE_NAME(backend) : "";
    if (backend)
        g_object_unref(backend);
    if (type == "GMemorySettingsBackend" || type == "GNullSettingsBackend" || type.isEmpty()) {
        *why = QStringLiteral("the desktop's settings store is not available");
        return false;
    }
    return true;
}

bool viaGSettings(const QString& desktop, const QString& path, QString* how)
{
    QString why;
    if (!gsettingsPersist(&why)) {
        say(how, why);
        return false;
    }
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    bool ok;
    if (desktop == QLatin1String("CINNAMON")) {
        ok = setGSetting("org.cinnamon.desktop.background", "picture-uri", uri, &why);
    } else if (desktop == QLatin1String("MATE")) {
        ok = setGSetting("org.mate.background", "picture-filename", path, &why);
    } else {
        ok = setGSetting("org.gnome.desktop.background", "picture-uri", uri, &why);
        if (ok && schemaHasKey("org.gnome.desktop.background", "picture-uri-dark"))
            ok = setGSetting("org.gnome.desktop.background", "picture-uri-dark", uri, &why);
    }
    say(how, ok ? QStringLiteral("set through the desktop settings (GSettings)") : why);
    return ok;
}

bool viaPlasma(const QString& path, QString* how)
{
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    const QString script = QStringLiteral(
                               "var all = desktops();\n"
                               "for (var i = 0; i < all.length; i++) {\n"
                               "  var d = all[i];\n"
                               "  d.wallpaperPlugin = \"org.kde.image\";\n"
                               "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
                               "  d.writeConfig(\"Image\", %1);\n"
                               "}\n")
                               .arg(jsStringLiteral(url));
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                                                       QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        say(how, QStringLiteral("the Plasma shell did not take the wallpaper: %1").arg(dbusError(reply)));
        return false;
    }
    say(how, QStringLiteral("set through the Plasma shell"));
    return true;
}

bool viaXfconf(const QString& path, QString* how)
{
    const QString service = QStringLiteral("org.xfce.Xfconf");
    const QString object = QStringLiteral("/org/xfce/Xfconf");
    const QString iface = QStringLiteral("org.xfce.Xfconf");
    const QString channel = QStringLiteral("xfce4-desktop");
    QDBusMessage list = QDBusMessage::createMethodCall(service, object, iface, QStringLiteral("GetAllProperties"));
    list << channel << QStringLiteral("/backdrop");
    const QDBusMessage props = QDBusConnection::sessionBus().call(list, QDBus::Block, kCallTimeoutMs);
    if (props.type() != QDBusMessage::ReplyMessage || props.arguments().isEmpty()) {
        say(how, QStringLiteral("the Xfce settings could not be read: %1").arg(dbusError(props)));
        return false;
    }
    const QVariantMap all = qdbus_cast<QVariantMap>(props.arguments().first());
    QStringList keys;
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().endsWith(QLatin1String("/last-image")))
            keys << it.key();
    if (keys.isEmpty()) {
        say(how, QStringLiteral("the Xfce desktop has no backdrop to set"));
        return false;
    }
    for (const QString& key : keys) {
        QDBusMessage set = QDBusMessage::createMethodCall(service, object, iface, QStringLiteral("SetProperty"));
        set << channel << key << QVariant::fromValue(QDBusVariant(path));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(set, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            say(how, QStringLiteral("the Xfce backdrop %1 could not be set: %2").arg(key, dbusError(reply)));
            return false;
        }
    }
    say(how, QStringLiteral("set through the Xfce settings (%1 backdrops)").arg(keys.size()));
    return true;
}

}  // namespace

QPixmap captureScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning("Screen: no screen to capture");
        return {};
    }
    return screen->grabWindow(0);
}

QString windowsFolder() { return ProgramFolder::path(); }

QString jsStringLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case '"': out += QLatin1String("\\\""); break;
        case '\'': out += QLatin1String("\\'"); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            // Control characters, the two characters that end a line in JavaScript, and "<" (so that
            // "</script>" cannot appear) are written as escapes.
            if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029 || u == '<')
                out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

bool setDesktopWallpaper(const QString& bmpPath, QString* how)
{
    const QFileInfo fi(bmpPath);
    if (!fi.isFile()) {
        say(how, QStringLiteral("the picture %1 does not exist").arg(bmpPath));
        return false;
    }
    const QString path = fi.absoluteFilePath();
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (desktops.isEmpty()) {
        say(how, QStringLiteral("the desktop is not known (XDG_CURRENT_DESKTOP is not set)"));
        return false;
    }
    for (QString d : desktops) {
        d = d.trimmed();
        if (d == QLatin1String("X-CINNAMON"))
            d = QStringLiteral("CINNAMON");
        const bool gsettings = d == QLatin1String("GNOME") || d == QLatin1String("UNITY") || d == QLatin1String("BUDGIE")
            || d == QLatin1String("CINNAMON") || d == QLatin1String("MATE");
        const bool dbus = d == QLatin1String("KDE") || d == QLatin1String("XFCE");
        if (dbus && !QDBusConnection::sessionBus().isConnected()) {
            say(how, QStringLiteral("there is no session bus to reach the desktop"));
            return false;
        }
        if (gsettings)
            return viaGSettings(d, path, how);
        if (d == QLatin1String("KDE"))
            return viaPlasma(path, how);
        if (d == QLatin1String("XFCE"))
            return viaXfconf(path, how);
    }
    say(how, QStringLiteral("the desktop \"%1\" is not one whose wallpaper can be set here")
                 .arg(qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
    return false;
}

bool screenSaverInhibit(bool on)
{
    static uint cookie = 0;
    static bool held = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (on == held)
        return true;
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    if (!bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/ScreenSaver"), service,
                                                       on ? QStringLiteral("Inhibit") : QStringLiteral("UnInhibit"));
    if (on)
        call << QStringLiteral("PellumPlayer") << QStringLiteral("Our own screen saver is running");
    else
        call << cookie;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("Screen: the screen saver could not be %s: %s", on ? "held off" : "released",
                 qPrintable(dbusError(reply)));
        return false;
    }
    if (on) {
        if (reply.arguments().isEmpty())
            return false;
        cookie = reply.arguments().first().toUInt();
    }
    held = on;
    return true;
}

}  // namespace Screen
