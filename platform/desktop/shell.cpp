#include "platform/desktop/shell.h"

#include "platform/textfile.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {
namespace {

Launcher& testLauncher()
{
    static Launcher l;
    return l;
}

QString find(const QString& name) { return QStandardPaths::findExecutable(name); }

// An address has a scheme of two or more letters ("http:", "mailto:"); everything else is a path.
bool looksLikeAddress(const QString& s)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(s).hasMatch() && !QFileInfo::exists(s);
}

bool openUrl(const QUrl& url)
{
    const bool ok = testLauncher() ? testLauncher()(QString::fromLatin1(kOpenUrl), {url.toString(QUrl::FullyEncoded)})
                                   : QDesktopServices::openUrl(url);
    if (ok)
        return true;
    qWarning("Shell: could not open %s", qPrintable(url.toDisplayString()));
    return false;
}

}  // namespace

void setLauncherForTests(Launcher launcher) { testLauncher() = std::move(launcher); }

bool start(const QString& program, const QStringList& args)
{
    const bool ok = testLauncher() ? testLauncher()(program, args) : QProcess::startDetached(program, args);
    if (ok)
        return true;
    qWarning("Shell: could not start %s", qPrintable(program));
    return false;
}

bool openDocument(const QString& pathOrAddress)
{
    if (pathOrAddress.trimmed().isEmpty()) {
        qWarning("Shell: nothing to open");
        return false;
    }
    if (looksLikeAddress(pathOrAddress)) {
        const QUrl url(pathOrAddress.trimmed(), QUrl::TolerantMode);
        if (!url.isValid()) {
            qWarning("Shell: not a valid address: %s", qPrintable(pathOrAddress));
            return false;
        }
        return openUrl(url);
    }
    if (!TextFile::exists(pathOrAddress)) {
        qWarning("Shell: %s does not exist", qPrintable(pathOrAddress));
        return false;
    }
    const QString path = QFileInfo(pathOrAddress).absoluteFilePath();
    // A name in other bytes than UTF-8 goes in the address as those bytes, percent-encoded.
    const QByteArray bytes = TextFile::nativePath(path);
    if (bytes != path.toUtf8())
        return openUrl(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
    return openUrl(QUrl::fromLocalFile(path));
}

bool startMixer(QString* why)
{
    struct Mixer {
        const char* program;
        QStringList args;
    };
    const Mixer mixers[] = {
        {"pavucontrol", {}},
        {"gnome-control-center", {QStringLiteral("sound")}},
        {"pavucontrol-qt", {}},
        {"kmix", {}},
        {"xfce4-mixer", {}},
    };
    auto started = [why](const QString& exe, const QStringList& args) {
        if (start(exe, args))
            return true;
        if (why)
            *why = QStringLiteral("The volume mixer ") + exe + QStringLiteral(" could not be started.");
        return false;
    };
    for (const Mixer& m : mixers) {
        const QString exe = find(QString::fromLatin1(m.program));
        if (!exe.isEmpty())
            return started(exe, m.args);
    }
    const QString terminal = find(QStringLiteral("x-terminal-emulator"));
    const QString alsamixer = find(QStringLiteral("alsamixer"));
    if (!terminal.isEmpty() && !alsamixer.isEmpty())
        return started(terminal, {QStringLiteral("-e"), alsamixer});
    qWarning("Shell: no volume mixer found");
    if (why)
        *why = QStringLiteral("No volume mixer was found (pavucontrol, gnome-control-center, pavucontrol-qt, kmix, "
                              "xfce4-mixer, or alsamixer with a terminal).");
    return false;
}

bool startTextEditor(const QString& file, bool maximised)
{
    Q_UNUSED(maximised);
    if (file.isEmpty()) {
        qWarning("Shell: no file to edit");
        return false;
    }
    // An absolute path never starts with "-", so no editor takes it for an option.
    const QString path = QFileInfo(file).absoluteFilePath();
    for (const char* name : {"gnome-text-editor", "gedit", "kate", "mousepad", "pluma", "xed", "featherpad", "leafpad"}) {
        const QString exe = find(QString::fromLatin1(name));
        if (!exe.isEmpty())
            return start(exe, {path});
    }
    return openDocument(path);
}

bool openFileManager(const QString& folder, QString* why)
{
    auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (!TextFile::isFolder(folder))
        return fail(QStringLiteral("The folder ") + folder + QStringLiteral(" is not there."));
    // The desktop's opener shows a folder in the file manager the user chose (a test's launcher stands in
    // for the desktop).
    if (testLauncher() || !find(QStringLiteral("xdg-open")).isEmpty())
        return openDocument(folder) ||
               fail(QStringLiteral("The file manager could not be started to show ") + folder + QLatin1Char('.'));
    const QString path = QFileInfo(folder).absoluteFilePath();
    for (const char* name : {"nautilus", "dolphin", "thunar", "nemo", "caja", "pcmanfm", "pcmanfm-qt"}) {
        const QString exe = find(QString::fromLatin1(name));
        if (!exe.isEmpty())
            return start(exe, {path}) ||
                   fail(QStringLiteral("The file manager ") + exe + QStringLiteral(" could not be started."));
    }
    qWarning("Shell: no file manager found");
    return fail(QStringLiteral("No file manager was found to show ") + folder +
                QStringLiteral(" (xdg-open, nautilus, dolphin, thunar, nemo, caja or pcmanfm)."));
}

}  // namespace Shell
