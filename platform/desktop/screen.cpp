#include "platform/desktop/screen.h"

#include "platform/desktop/xrootpicture.h"
#include "platform/programfolder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QUrl>

#undef signals  // glib uses the word
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

namespace Screen {
namespace {

constexpr int kCallTimeoutMs = 5000;

using Outcome = WallpaperOutcome;

// Every outcome's language-file key and English text, in the order of the enumeration.
struct OutcomeText {
    Outcome outcome;
    const char* key;
    const char* text;
};
constexpr OutcomeText kOutcomeTexts[] = {
    {Outcome::SetThroughGSettings, "wallgsettings", "set through the desktop settings (GSettings)"},
    {Outcome::SetThroughPlasma, "wallplasma", "set through the Plasma shell"},
    {Outcome::SetThroughXfconf, "wallxfce", "set through the Xfce settings (%1 backdrops)"},
    {Outcome::SetOnXRoot, "wallxroot", "set as the background of the X display's root window"},
    {Outcome::NoPicture, "wallnopicture", "the picture %1 does not exist"},
    {Outcome::PictureUnreadable, "wallbadpicture", "the picture %1 cannot be read (%2)"},
    {Outcome::SchemaMissing, "wallnoschema", "the settings schema %1 is not installed"},
    {Outcome::KeyMissing, "wallnokey", "the settings schema %1 has no key %2"},
    {Outcome::KeyNotWritten, "wallkeynotwritten", "%1 %2 cannot be written"},
    {Outcome::NoSettingsStore, "wallnostore", "the desktop's settings store is not available"},
    {Outcome::NoSessionBus, "wallnobus", "there is no session bus to reach the desktop"},
    {Outcome::PlasmaRefused, "wallplasmarefused", "the Plasma shell did not take the wallpaper: %1"},
    {Outcome::XfconfUnreadable, "wallxfcenotread", "the Xfce settings could not be read: %1"},
    {Outcome::XfconfNoBackdrop, "wallxfcenobackdrop", "the Xfce desktop has no backdrop to set"},
    {Outcome::XfconfRefused, "wallxfcerefused", "the Xfce backdrop %1 could not be set: %2"},
    {Outcome::NotOnX, "wallnotonx", "the desktop \"%1\" is not known here and the player is not shown on X"},
    {Outcome::NoXDisplay, "wallnodisplay", "the X display \"%1\" cannot be reached"},
    {Outcome::XRefused, "wallxrefused", "the X display refused the picture (%1)"},
};

const OutcomeText& textOf(Outcome outcome)
{
    for (const OutcomeText& t : kOutcomeTexts)
        if (t.outcome == outcome)
            return t;
    return kOutcomeTexts[0];
}

bool report(WallpaperReport* out, Outcome outcome, const QStringList& args = {})
{
    if (out) {
        out->outcome = outcome;
        out->args = args;
    }
    return WallpaperReport{outcome, args}.set();
}

QString dbusError(const QDBusMessage& reply)
{
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

// Sets a string key through GSettings. The schema is looked up first, so a desktop without it is an
// error instead of an abort.
bool setGSetting(const char* schemaId, const char* key, const QString& value, WallpaperReport* why)
{
    const QStringList names{QLatin1String(schemaId), QLatin1String(key)};
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return report(why, Outcome::SchemaMissing, {names[0]});
    if (!g_settings_schema_has_key(schema, key)) {
        g_settings_schema_unref(schema);
        return report(why, Outcome::KeyMissing, names);
    }
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    const QByteArray v = value.toUtf8();
    const bool ok = g_settings_set_string(settings, key, v.constData());
    g_settings_sync();
    g_object_unref(settings);
    return ok ? report(why, Outcome::SetThroughGSettings) : report(why, Outcome::KeyNotWritten, names);
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
bool gsettingsPersist()
{
    GSettingsBackend* backend = g_settings_backend_get_default();
    const QByteArray type = backend ? G_OBJECT_TYPE_NAME(backend) : "";
    if (backend)
        g_object_unref(backend);
    return !(type == "GMemorySettingsBackend" || type == "GNullSettingsBackend" || type.isEmpty());
}

bool viaGSettings(const QString& desktop, const QString& path, WallpaperReport* how)
{
    if (!gsettingsPersist())
        return report(how, Outcome::NoSettingsStore);
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    if (desktop == QLatin1String("CINNAMON"))
        return setGSetting("org.cinnamon.desktop.background", "picture-uri", uri, how);
    if (desktop == QLatin1String("MATE"))
        return setGSetting("org.mate.background", "picture-filename", path, how);
    bool ok = setGSetting("org.gnome.desktop.background", "picture-uri", uri, how);
    if (ok && schemaHasKey("org.gnome.desktop.background", "picture-uri-dark"))
        ok = setGSetting("org.gnome.desktop.background", "picture-uri-dark", uri, how);
    return ok;
}

bool viaPlasma(const QString& path, WallpaperReport* how)
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
    if (reply.type() != QDBusMessage::ReplyMessage)
        return report(how, Outcome::PlasmaRefused, {dbusError(reply)});
    return report(how, Outcome::SetThroughPlasma);
}

bool viaXfconf(const QString& path, WallpaperReport* how)
{
    const QString service = QStringLiteral("org.xfce.Xfconf");
    const QString object = QStringLiteral("/org/xfce/Xfconf");
    const QString iface = QStringLiteral("org.xfce.Xfconf");
    const QString channel = QStringLiteral("xfce4-desktop");
    QDBusMessage list = QDBusMessage::createMethodCall(service, object, iface, QStringLiteral("GetAllProperties"));
    list << channel << QStringLiteral("/backdrop");
    const QDBusMessage props = QDBusConnection::sessionBus().call(list, QDBus::Block, kCallTimeoutMs);
    if (props.type() != QDBusMessage::ReplyMessage || props.arguments().isEmpty())
        return report(how, Outcome::XfconfUnreadable, {dbusError(props)});
    const QVariantMap all = qdbus_cast<QVariantMap>(props.arguments().first());
    QStringList keys;
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().endsWith(QLatin1String("/last-image")))
            keys << it.key();
    if (keys.isEmpty())
        return report(how, Outcome::XfconfNoBackdrop);
    for (const QString& key : keys) {
        QDBusMessage set = QDBusMessage::createMethodCall(service, object, iface, QStringLiteral("SetProperty"));
        set << channel << key << QVariant::fromValue(QDBusVariant(path));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(set, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return report(how, Outcome::XfconfRefused, {key, dbusError(reply)});
    }
    return report(how, Outcome::SetThroughXfconf, {QString::number(keys.size())});
}

// Any other desktop: the picture becomes the X root window's background, when the player is on X.
bool viaXRoot(const QString& path, WallpaperReport* how)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return report(how, Outcome::NotOnX, {qEnvironmentVariable("XDG_CURRENT_DESKTOP")});
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull())
        return report(how, Outcome::PictureUnreadable, {path, reader.errorString()});
    QString error;
    const XRootPicture::Result result = XRootPicture::set(picture, &error);
    if (result == XRootPicture::NoDisplay)
        return report(how, Outcome::NoXDisplay, {qEnvironmentVariable("DISPLAY")});
    if (result == XRootPicture::Refused)
        return report(how, Outcome::XRefused, {error});
    return report(how, Outcome::SetOnXRoot);
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

bool WallpaperReport::set() const
{
    return outcome == Outcome::SetThroughGSettings || outcome == Outcome::SetThroughPlasma ||
           outcome == Outcome::SetThroughXfconf || outcome == Outcome::SetOnXRoot;
}

QString WallpaperReport::key() const { return QLatin1String(textOf(outcome).key); }

QString WallpaperReport::text(const std::function<QString(const QString&, const QString&)>& translate) const
{
    const OutcomeText& t = textOf(outcome);
    const QString pattern = translate ? translate(QLatin1String(t.key), QLatin1String(t.text)) : QString::fromLatin1(t.text);
    // One pass, so that a name holding "%2" stays as it is.
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const int n = i + 1 < pattern.size() ? pattern.at(i + 1).digitValue() : -1;
        if (pattern.at(i) == QLatin1Char('%') && n >= 1 && n <= args.size()) {
            out += args.at(n - 1);
            ++i;
        } else {
            out += pattern.at(i);
        }
    }
    return out;
}

bool setDesktopWallpaper(const QString& bmpPath, WallpaperReport* how)
{
    const QFileInfo fi(bmpPath);
    if (!fi.isFile())
        return report(how, Outcome::NoPicture, {bmpPath});
    const QString path = fi.absoluteFilePath();
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (QString d : desktops) {
        d = d.trimmed();
        if (d == QLatin1String("X-CINNAMON"))
            d = QStringLiteral("CINNAMON");
        const bool gsettings = d == QLatin1String("GNOME") || d == QLatin1String("UNITY") || d == QLatin1String("BUDGIE")
            || d == QLatin1String("CINNAMON") || d == QLatin1String("MATE");
        const bool dbus = d == QLatin1String("KDE") || d == QLatin1String("XFCE");
        if (dbus && !QDBusConnection::sessionBus().isConnected())
            return report(how, Outcome::NoSessionBus);
        if (gsettings)
            return viaGSettings(d, path, how);
        if (d == QLatin1String("KDE"))
            return viaPlasma(path, how);
        if (d == QLatin1String("XFCE"))
            return viaXfconf(path, how);
    }
    return viaXRoot(path, how);
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
