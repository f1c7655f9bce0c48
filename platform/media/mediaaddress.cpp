#include "platform/media/mediaaddress.h"

#include "platform/textfile.h"

#include <QDir>
#include <QUrl>

namespace {

// The scheme of a "scheme://..." address in small letters (a letter, then letters, digits, "+", "-"
// or "."), or the empty text when `name` is not written as such an address.
QString schemeOf(const QString& name)
{
    const auto letter = [](char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const qsizetype end = name.indexOf(QLatin1String("://"));
    if (end < 1 || !letter(name.at(0).unicode()))
        return QString();
    for (qsizetype i = 1; i < end; ++i) {
        const char16_t c = name.at(i).unicode();
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return QString();
    }
    return name.left(end).toLower();
}

bool streamScheme(const QString& scheme)
{
    static const QStringList allowed{"http", "https", "mms", "mmsh", "mmst", "rtsp", "rtmp", "rtmps", "cdda"};
    return allowed.contains(scheme);
}

}  // namespace

namespace MediaAddress {

QString engineName(const QString& name)
{
    if (name.isEmpty())
        return QString();
    const QString scheme = schemeOf(name);
    QString path = name;
    if (scheme == QLatin1String("file")) {
        // The windows write "file://" and the path as it is, not percent-encoded, so a name holding "#"
        // or "%" is not read as an address while a file of that literal name exists.
        path = name.mid(7);
        if (!TextFile::exists(path)) {
            const QUrl url(name);
            if (url.isLocalFile())
                path = url.toLocalFile();
        }
    } else if (!scheme.isEmpty()) {
        return streamScheme(scheme) ? scheme + name.mid(scheme.size()) : QString();
    }
    if (path.isEmpty())
        return QString();
    return QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
}

bool engineMayOpen(const QString& name)
{
    const QString scheme = schemeOf(name);
    if (scheme.isEmpty())
        return name.startsWith(QLatin1Char('/'));
    return scheme == QLatin1String("file") || streamScheme(scheme);
}

}  // namespace MediaAddress
