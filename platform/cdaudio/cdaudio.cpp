#include "platform/cdaudio/cdaudio.h"

#include "platform/cdiolock.h"
#include "platform/drives/drives.h"
#include "platform/media/mpvengine.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <cdio/cdio.h>
#include <cmath>
#include <optional>
#include <sys/stat.h>

namespace CdAudio {
namespace {

constexpr int kFramesPerSecond = 75;

// An open alias: its device and the disc it found there when it was opened. A disc that comes later, or
// another disc in its place, is seen once the alias is opened again, as the drive's own device does.
struct Session {
    QString device;
    std::optional<Drives::Toc> disc;
};

QHash<QString, Session>& aliases()
{
    static QHash<QString, Session> a;
    return a;
}

TrayAction& trayAction()
{
    static TrayAction t;
    return t;
}

CommandLog& commandLog()
{
    static CommandLog l;
    return l;
}

// Devices whose tray this device opened and has not closed again.
QSet<QString>& openTrays()
{
    static QSet<QString> s;
    return s;
}

// What the one engine plays. While `device` is set the engine has that disc (`toc`) loaded, or is loading
// it, and its play position is the engine's; otherwise the disc `parkedDevice` stands at `parkedAt`.
struct Player {
    MpvEngine* engine = nullptr;
    QString device;
    Drives::Toc toc;
    enum Mode { Stopped, Playing, Paused } mode = Stopped;
    QString parkedDevice;
    int parkedAt = 0;
};

Player& player()
{
    static Player p;
    return p;
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
    const std::lock_guard lock(cdioLock());
    if (action == QLatin1String("eject"))
        return cdio_eject_media_drive(dev.constData()) == DRIVER_OP_SUCCESS;
    driver_id_t driver = DRIVER_DEVICE;
    return cdio_close_tray(dev.constData(), &driver) == DRIVER_OP_SUCCESS;
}

// Reads the disc's table of contents. A tray this device opened holds no disc until it is closed, unless
// a real drive shows a disc again (its tray was pushed in by hand).
std::optional<Drives::Toc> readDisc(const QString& device)
{
    std::optional<Drives::Toc> toc;
    if (!openTrays().contains(device) || isBlockDevice(device))
        toc = Drives::readToc(device);
    if (toc)
        openTrays().remove(device);
    return toc;
}

QString msf(int frames)
{
    frames = qMax(0, frames);
    return QString::asprintf("%02d:%02d:%02d", frames / (60 * kFramesPerSecond), frames / kFramesPerSecond % 60,
                             frames % kFramesPerSecond);
}

// A position in "m", "m:s" or "m:s:f" form (fields of any size), as a frame count.
std::optional<int> parseMsf(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    const int scale[3] = {60 * kFramesPerSecond, kFramesPerSecond, 1};
    long long frames = 0;
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int v = parts[i].toInt(&ok);
        if (!ok || v < 0 || v > 100000)
            return std::nullopt;
        frames += (long long)v * scale[i];
    }
    return int(qMin<long long>(frames, 1 << 30));
}

// Where the disc in `device` stands: the engine's position while it has the disc, else where it stopped.
int positionOf(const QString& device, const Drives::Toc& toc)
{
    const Player& p = player();
    int at = toc.starts.first();
    if (p.device == device && p.engine)
        at = toc.starts.first() + int(std::lround(p.engine->timePos() * kFramesPerSecond));
    else if (p.parkedDevice == device)
        at = p.parkedAt;
    return qBound(toc.starts.first(), at, toc.leadOut);
}

int trackAt(const Drives::Toc& toc, int frames)
{
    int index = 0;
    for (int i = 0; i < toc.trackCount(); ++i)
        if (toc.starts[i] <= frames)
            index = i;
    return toc.firstTrack + index;
}

void park(const QString& device, int frames)
{
    player().parkedDevice = device;
    player().parkedAt = frames;
}

// Stops the engine where it is, keeping that place as the disc's position.
void stopPlaying()
{
    Player& p = player();
    if (p.device.isEmpty())
        return;
    park(p.device, positionOf(p.device, p.toc));
    p.device.clear();
    p.mode = Player::Stopped;
    if (p.engine)
        p.engine->stop();
}

MpvEngine* engine()
{
    Player& p = player();
    if (!p.engine) {
        p.engine = new MpvEngine(QCoreApplication::instance());
        QObject::connect(p.engine, &MpvEngine::fileEnded, p.engine, [](const QString& reason) {
            Player& pl = player();
            if (reason == QLatin1String("stop") || pl.device.isEmpty())
                return;
            // The disc played to its end (or could not be read): it stands stopped at its end.
            if (reason == QLatin1String("eof"))
                park(pl.device, pl.toc.leadOut);
            pl.device.clear();
            pl.mode = Player::Stopped;
        });
        QObject::connect(p.engine, &QObject::destroyed, [] { player() = Player(); });
    }
    return p.engine;
}

// Plays the disc in `device` from `frames` on.
void playFrom(const QString& device, const Drives::Toc& toc, int frames)
{
    Player& p = player();
    MpvEngine* e = engine();
    const double seconds = double(frames - toc.starts.first()) / kFramesPerSecond;
    if (p.device != device || e->idle()) {
        stopPlaying();
        e->setProperty("cdrom-device", device);
        e->load(QStringLiteral("cdda://"));
    }
    e->seek(seconds);
    e->setFlag("pause", false);
    p.device = device;
    p.toc = toc;
    p.mode = Player::Playing;
}

int status(Session& session, const QStringList& w, QString* result)
{
    // w: "status", alias, what...
    const QString& device = session.device;
    const QString what = w.mid(2).join(QLatin1Char(' '));
    if (what == QLatin1String("number of tracks")) {
        // The disc is asked again: one taken out, or put in its place, leaves the alias without a disc.
        // While the engine opens a disc the library is its own, and the disc is asked at the next count.
        const std::unique_lock library(cdioLock(), std::try_to_lock);
        if (library.owns_lock()) {
            const std::optional<Drives::Toc> now = readDisc(device);
            if (!now || !session.disc || *now != *session.disc)
                session.disc.reset();
        }
    }
    if (what == QLatin1String("mode")) {
        if (!session.disc)
            *result = openTrays().contains(device) ? QStringLiteral("open") : QStringLiteral("not ready");
        else if (player().device == device && player().mode == Player::Playing)
            *result = QStringLiteral("playing");
        else if (player().device == device && player().mode == Player::Paused)
            *result = QStringLiteral("paused");
        else
            *result = QStringLiteral("stopped");
        return NoError;
    }
    const std::optional<Drives::Toc>& toc = session.disc;
    if (!toc)
        return NotReady;
    if (what == QLatin1String("number of tracks")) {
        *result = QString::number(toc->trackCount());
        return NoError;
    }
    if (what == QLatin1String("current track")) {
        *result = QString::number(trackAt(*toc, positionOf(device, *toc)));
        return NoError;
    }
    if (what == QLatin1String("position")) {
        *result = msf(positionOf(device, *toc));
        return NoError;
    }
    if (what == QLatin1String("length")) {
        *result = msf(toc->leadOut - toc->starts.first());
        return NoError;
    }
    if (w.size() == 5 && w[3] == QLatin1String("track") &&
        (w[2] == QLatin1String("position") || w[2] == QLatin1String("length"))) {
        bool ok = false;
        const int index = w[4].toInt(&ok) - toc->firstTrack;
        if (!ok || index < 0 || index >= toc->trackCount())
            return OutOfRange;
        const int start = toc->starts[index];
        const int end = index + 1 < toc->trackCount() ? toc->starts[index + 1] : toc->leadOut;
        *result = msf(w[2] == QLatin1String("position") ? start : end - start);
        return NoError;
    }
    return UnrecognizedCommand;
}

int playback(const Session& session, const QStringList& w)
{
    const QString& device = session.device;
    const QString& verb = w[0];
    const bool seek = verb == QLatin1String("seek");
    const bool well = verb == QLatin1String("play") ? w.size() == 2 || (w.size() == 4 && w[2] == QLatin1String("from"))
                      : seek                        ? w.size() == 4 && w[2] == QLatin1String("to")
                                                    : w.size() == 2;
    if (!well)
        return UnrecognizedCommand;
    const std::optional<Drives::Toc>& toc = session.disc;
    if (!toc)
        return NotReady;
    Player& p = player();
    const bool ours = p.device == device;
    if (verb == QLatin1String("pause")) {
        if (ours && p.mode == Player::Playing) {
            p.engine->setFlag("pause", true);
            p.mode = Player::Paused;
        }
        return NoError;
    }
    if (verb == QLatin1String("stop")) {
        if (ours)
            stopPlaying();
        return NoError;
    }
    std::optional<int> target;
    if (w.size() == 4) {
        target = w[3] == QLatin1String("start") && seek ? std::optional<int>(toc->starts.first())
                 : w[3] == QLatin1String("end") && seek ? std::optional<int>(toc->leadOut)
                                                        : parseMsf(w[3]);
        if (!target || *target < toc->starts.first() || *target > toc->leadOut)
            return OutOfRange;
    }
    if (seek) {
        // The engine keeps the disc open, held at the new place, so that a play goes on from there at once.
        if (ours && p.engine && !p.engine->idle()) {
            p.engine->seek(double(*target - toc->starts.first()) / kFramesPerSecond);
            p.engine->setFlag("pause", true);
            p.mode = Player::Stopped;
        } else {
            park(device, *target);
        }
        return NoError;
    }
    if (!target) {
        if (ours && p.mode == Player::Playing)
            return NoError;
        target = positionOf(device, *toc);
        // A disc that stands at its end plays again from its start.
        if (*target >= toc->leadOut)
            target = toc->starts.first();
    }
    if (*target >= toc->leadOut)
        return OutOfRange;
    playFrom(device, *toc, *target);
    return NoError;
}

// Forgets an alias; its disc stops unless another alias still has that device open.
void forget(const QString& alias)
{
    const QString device = aliases().take(alias).device;
    if (device.isEmpty() || player().device != device)
        return;
    for (const Session& s : std::as_const(aliases()))
        if (s.device == device)
            return;
    stopPlaying();
}

}  // namespace

void setTrayActionForTests(TrayAction action) { trayAction() = std::move(action); }
void setCommandLogForTests(CommandLog log) { commandLog() = std::move(log); }

QString deviceOf(const QString& alias) { return aliases().value(alias.toLower()).device; }

bool hasEngine() { return player().engine != nullptr; }

int mciSendString(const QString& command, QString* result)
{
    if (commandLog())
        commandLog()(command);
    QString ignored;
    QString& answer = result ? *result : ignored;
    answer.clear();
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
        const QString alias = w.size() == 4 ? w[3] : QStringLiteral("cdaudio");
        forget(alias);
        aliases().insert(alias, Session{device, readDisc(device)});
        return NoError;
    }
    if (w[0] == QLatin1String("close") && w.size() == 2) {
        if (w[1] == QLatin1String("all")) {
            aliases().clear();
            stopPlaying();
            return NoError;
        }
        if (!aliases().contains(w[1]))
            return UnknownAlias;
        forget(w[1]);
        return NoError;
    }
    if (w.size() < 2)
        return UnrecognizedCommand;
    static const QStringList verbs{"set", "status", "play", "pause", "stop", "seek"};
    if (!verbs.contains(w[0]))
        return UnrecognizedCommand;
    const auto session = aliases().find(w[1]);
    if (session == aliases().end())
        return UnknownAlias;
    const QString device = session->device;

    if (w[0] == QLatin1String("set")) {
        if (w.size() != 4 || w[2] != QLatin1String("door") ||
            (w[3] != QLatin1String("open") && w[3] != QLatin1String("closed")))
            return UnrecognizedCommand;
        const bool open = w[3] == QLatin1String("open");
        if (!moveTray(open ? QStringLiteral("eject") : QStringLiteral("close"), device))
            return Failed;
        if (open) {
            if (player().device == device)
                stopPlaying();
            if (player().parkedDevice == device)
                player().parkedDevice.clear();
            openTrays().insert(device);
            for (Session& s : aliases())
                if (s.device == device)
                    s.disc.reset();
        } else {
            openTrays().remove(device);
        }
        return NoError;
    }
    if (w[0] == QLatin1String("status")) {
        if (w.size() < 3)
            return UnrecognizedCommand;
        const int e = status(*session, w, &answer);
        if (e != NoError)
            answer.clear();
        return e;
    }
    return playback(*session, w);
}

}  // namespace CdAudio
