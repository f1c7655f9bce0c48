#include "platform/media/mpvengine.h"

#include "platform/cdiolock.h"
#include "platform/keptvariables.h"
#include "platform/media/mediaaddress.h"
#include "platform/textfile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QMetaObject>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <optional>
#include <utility>
#include <thread>
#include <mpv/client.h>
#include <xcb/xcb.h>

namespace {

constexpr quint64 kLoadTag = quint64(1) << 40;
constexpr quint64 kOpenHook = 1;
// Play lists naming play lists are followed this deep; a list that names itself would go on for ever.
constexpr int kMaxListDepth = 8;
constexpr quint64 kTracksTag = quint64(1) << 41;
constexpr quint64 kSeekTag = quint64(1) << 42;

enum Observed : uint64_t { TimePos = 1, Duration, Pause, IdleActive, Speed, Buffering, CacheSpeed, Metadata, VolumeProp, PathProp, OsdSize, CurrentVo };

QVariant nodeToVariant(const mpv_node* n)
{
    switch (n->format) {
    case MPV_FORMAT_STRING: return QString::fromUtf8(n->u.string);
    case MPV_FORMAT_FLAG: return bool(n->u.flag);
    case MPV_FORMAT_INT64: return qlonglong(n->u.int64);
    case MPV_FORMAT_DOUBLE: return n->u.double_;
    case MPV_FORMAT_NODE_ARRAY: {
        QVariantList l;
        for (int i = 0; i < n->u.list->num; ++i)
            l.append(nodeToVariant(&n->u.list->values[i]));
        return l;
    }
    case MPV_FORMAT_NODE_MAP: {
        QVariantMap m;
        for (int i = 0; i < n->u.list->num; ++i)
            m.insert(QString::fromUtf8(n->u.list->keys[i]), nodeToVariant(&n->u.list->values[i]));
        return m;
    }
    default: return QVariant();
    }
}


bool nullAudio() { return qEnvironmentVariable("PELLUM_NULL_AUDIO") == QLatin1String("1"); }

// An mpv handle with the options every engine runs with, initialised; nullptr when mpv cannot start.
// Needs no window-system state, so it may run on any thread.
mpv_handle* newHandle(bool nullVideo, bool nullAudio)
{
    mpv_handle* h = mpv_create();
    if (!h) {
        qWarning("PellumPlayer: the mpv engine could not be created");
        return nullptr;
    }
    const char* opts[][2] = {
        {"idle", "yes"},          {"gapless-audio", "no"},       {"audio-fallback-to-null", "yes"},
        {"keep-open", "no"},      {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"},
        {"osc", "no"},            {"terminal", "no"},            {"force-window", "no"},
        {"vo", "null"}, {"ytdl", "no"},          {"load-scripts", "no"},
        {"config", "no"},         {"audio-display", "no"},
        // Entries of a play list are checked before they open (checkEntry); mpv's own refusal stays on.
        {"load-unsafe-playlists", "no"},
        // Pointer events over the video belong to the control, not to mpv.
        {"input-cursor", "no"},   {"cursor-autohide", "no"},
        // mpv's own scripts serve its key bindings and configuration files, neither of which is used;
        // loading them only delays the first clip.
        {"load-stats-overlay", "no"}, {"load-osd-console", "no"}, {"load-auto-profiles", "no"},
    };
    for (const auto& o : opts)
        mpv_set_option_string(h, o[0], o[1]);
    // PELLUM_NULL_AUDIO=1 keeps the video on the display and sends the sound nowhere (the X test lane).
    if (nullVideo || nullAudio)
        mpv_set_option_string(h, "ao", "null");
    if (mpv_initialize(h) < 0) {
        qWarning("PellumPlayer: the mpv engine could not be started");
        mpv_terminate_destroy(h);
        return nullptr;
    }
    return h;
}

// The locale variables of the environment as they were before the start named them for itself; put
// back once mpv has read them.
std::optional<KeptVariables>& namedLocale()
{
    static std::optional<KeptVariables> kept;
    return kept;
}

bool isUtf8(const char* codeset)
{
    const QByteArray c = QByteArray(codeset).toLower();
    return c == "utf-8" || c == "utf8";
}

// Settles the locale before any thread runs, as the application object will settle it from the
// environment: numbers in the "C" form that mpv needs from its first moment, characters in UTF-8 as Qt
// wants them. The environment names both for the moment, so that the application's own
// setlocale(LC_ALL, "") makes the same locale again and changes nothing while mpv starts. False, with
// nothing changed, where LC_ALL names a locale (it overrides both) or no UTF-8 locale is to be had.
bool settleLocale()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return false;
    namedLocale().emplace(QList<QByteArray>{"LC_NUMERIC", "LC_CTYPE"});
    qputenv("LC_NUMERIC", "C");
    std::setlocale(LC_ALL, "");
    if (!isUtf8(nl_langinfo(CODESET))) {
        // As Qt does it: the character type's own locale in UTF-8, else C's.
        QByteArray own = std::setlocale(LC_CTYPE, nullptr);
        own.truncate(own.indexOf('@') >= 0 ? own.indexOf('@') : own.size());
        own.truncate(own.indexOf('.') >= 0 ? own.indexOf('.') : own.size());
        const char* chosen = nullptr;
        for (const QByteArray& name : {own + ".UTF-8", QByteArray("C.UTF-8"), QByteArray("C.utf8")})
            if ((chosen = std::setlocale(LC_CTYPE, name.constData())))
                break;
        if (!chosen) {
            namedLocale().reset();
            std::setlocale(LC_ALL, "C");
            return false;
        }
        qputenv("LC_CTYPE", chosen);
    }
    return true;
}

// The engine made ahead at start-up: a handle made on a worker thread while the display is opened and
// the windows are built, for the first engine to take. Owned by the application, so that a handle nobody
// took is freed before the process ends.
class EarlyEngine : public QObject {
public:
    static void start()
    {
        if (!instance_)
            instance_ = new EarlyEngine(QCoreApplication::instance());
    }
    // Once the application exists: the holder started before it becomes the application's.
    static void applicationMade()
    {
        if (instance_ && !instance_->parent()) {
            instance_->wait();
            instance_->setParent(QCoreApplication::instance());
        }
    }
    // The handle made ahead, once, if it was made with the same outputs; nullptr when none was started,
    // it was taken already or it would not do.
    static mpv_handle* take(bool nullVideo, bool nullAudio)
    {
        if (!instance_)
            return nullptr;
        EarlyEngine* early = std::exchange(instance_, nullptr);
        mpv_handle* h = early->wait();
        if (early->nullVideo_ == nullVideo && early->nullAudio_ == nullAudio)
            early->handle_ = nullptr;
        else
            h = nullptr;  // freed with the holder
        delete early;
        return h;
    }
    ~EarlyEngine() override
    {
        if (mpv_handle* h = wait())
            mpv_terminate_destroy(h);
        if (instance_ == this)
            instance_ = nullptr;
    }

private:
    // What decides the outputs is read here, on the GUI thread.
    explicit EarlyEngine(QObject* parent)
        : QObject(parent), nullVideo_(MpvEngine::nullOutput()), nullAudio_(nullAudio())
    {
        worker_ = std::thread([this] { handle_ = newHandle(nullVideo_, nullAudio_); });
    }
    mpv_handle* wait()
    {
        if (worker_.joinable())
            worker_.join();
        return handle_;
    }

    static inline EarlyEngine* instance_ = nullptr;
    const bool nullVideo_;
    const bool nullAudio_;
    std::thread worker_;
    mpv_handle* handle_ = nullptr;
};

// Answers mpv's question before each entry opens, on a thread of its own so that an entry never waits
// for a busy window: an entry mpv must not open gets no name at all, which fails like a missing file.
// An audio disc opens through libcdio, which this program also reads discs with: the library is held from
// the question until the disc has opened or failed. Ends when the engine shuts down.
void checkEntries(mpv_handle* h)
{
    std::unique_lock disc(cdioLock(), std::defer_lock);
    for (;;) {
        mpv_event* e = mpv_wait_event(h, -1);
        if (e->event_id == MPV_EVENT_SHUTDOWN)
            break;
        if (e->event_id == MPV_EVENT_FILE_LOADED || e->event_id == MPV_EVENT_END_FILE) {
            if (disc.owns_lock())
                disc.unlock();
            continue;
        }
        if (e->event_id != MPV_EVENT_HOOK)
            continue;
        char* name = mpv_get_property_string(h, "stream-open-filename");
        const bool named = name != nullptr;
        const QString entry = QString::fromUtf8(name);
        mpv_free(name);
        if (named && !MediaAddress::engineMayOpen(entry))
            mpv_set_property_string(h, "stream-open-filename", "");
        else if (entry.startsWith(QLatin1String("cdda:"), Qt::CaseInsensitive) && !disc.owns_lock())
            disc.lock();
        mpv_hook_continue(h, static_cast<mpv_event_hook*>(e->data)->id);
    }
    mpv_destroy(h);
}

}  // namespace

void MpvEngine::startEarly()
{
    if (QCoreApplication::instance() || settleLocale())
        EarlyEngine::start();
}

void MpvEngine::applicationMade()
{
    EarlyEngine::applicationMade();
    // mpv has read the environment by now.
    namedLocale().reset();
    std::setlocale(LC_NUMERIC, "C");
    EarlyEngine::start();
}

bool MpvEngine::nullOutput()
{
    if (qEnvironmentVariable("PELLUM_NULL_OUTPUT") == QLatin1String("1"))
        return true;
    // Before the application exists, the platform the environment names for it (xcb by default).
    const QString p = qGuiApp ? QGuiApplication::platformName()
                              : qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb"))
                                    .section(QLatin1Char(';'), 0, 0)
                                    .section(QLatin1Char(':'), 0, 0);
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal") || p.isEmpty();
}

QString MpvEngine::videoOutputFor(const QStringList& extensions)
{
    // Rendering on a device: DRI3 or DRI2 (Mesa's drivers, also under XWayland), NV-GLX (NVIDIA's).
    for (const char* device : {"DRI3", "DRI2", "NV-GLX"})
        if (extensions.contains(QLatin1String(device)))
            return QStringLiteral("gpu,x11");
    return QStringLiteral("x11");
}

QString MpvEngine::videoOutput()
{
    static const QString chosen = [] {
        const QString named = qEnvironmentVariable("PELLUM_VIDEO_OUTPUT");
        if (named == QLatin1String("gpu") || named == QLatin1String("x11"))
            return named;
        // Only the extensions that decide are asked for, and no OpenGL is started: all the questions go
        // out before the first answer is read, so the choice costs one round trip to the server.
        QStringList offered;
        const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (xcb_connection_t* c = x11 ? x11->connection() : nullptr) {
            const QList<QByteArray> names{"DRI3", "DRI2", "NV-GLX"};
            QList<xcb_query_extension_cookie_t> asked;
            for (const QByteArray& n : names)
                asked.append(xcb_query_extension(c, uint16_t(n.size()), n.constData()));
            for (int i = 0; i < names.size(); ++i)
                if (xcb_query_extension_reply_t* r = xcb_query_extension_reply(c, asked[i], nullptr)) {
                    if (r->present)
                        offered.append(QString::fromLatin1(names[i]));
                    free(r);
                }
        }
        return videoOutputFor(offered);
    }();
    return chosen;
}

MpvEngine::MpvEngine(QObject* parent) : QObject(parent)
{
    std::setlocale(LC_NUMERIC, "C");
    const bool nullVideo = nullOutput(), audio = nullAudio();
    handle_ = EarlyEngine::take(nullVideo, audio);
    if (!handle_)
        handle_ = newHandle(nullVideo, audio);
    if (!handle_)
        return;
    mpv_observe_property(handle_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, IdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, Speed, "speed", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, Buffering, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(handle_, CacheSpeed, "cache-speed", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, Metadata, "metadata", MPV_FORMAT_NODE);
    mpv_observe_property(handle_, VolumeProp, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, PathProp, "path", MPV_FORMAT_STRING);
    if (mpv_handle* checker = mpv_create_client(handle_, "pellum-entries")) {
        mpv_hook_add(checker, kOpenHook, "on_load", 0);
        checker_ = std::thread(checkEntries, checker);
    }
    mpv_observe_property(handle_, OsdSize, "osd-dimensions", MPV_FORMAT_NODE);
    mpv_observe_property(handle_, CurrentVo, "current-vo", MPV_FORMAT_STRING);
    mpv_set_wakeup_callback(
        handle_,
        [](void* self) {
            QMetaObject::invokeMethod(static_cast<MpvEngine*>(self), &MpvEngine::drain, Qt::QueuedConnection);
        },
        this);
}

MpvEngine::~MpvEngine()
{
    if (handle_) {
        mpv_set_wakeup_callback(handle_, nullptr, nullptr);
        // Also waits for the entry checker to let go of its handle.
        mpv_terminate_destroy(handle_);
    }
    if (checker_.joinable())
        checker_.join();
}

void MpvEngine::setWindowId(quintptr wid, const QString& vo)
{
    if (!handle_ || nullOutput())
        return;
    const qlonglong id = qlonglong(wid);
    mpv_set_property_async(handle_, 0, "wid", MPV_FORMAT_INT64, const_cast<qlonglong*>(&id));
    // An output named for this run is used also where OpenGL renders in software.
    if (qEnvironmentVariable("PELLUM_VIDEO_OUTPUT") == QLatin1String("gpu"))
        setProperty("gpu-sw", QStringLiteral("yes"));
    // The window is an X window: OpenGL comes through EGL or GLX on it, never from a Wayland surface
    // of mpv's own.
    setProperty("gpu-context", QStringLiteral("x11egl,x11"));
    setProperty("vo", vo);
}

void MpvEngine::command(const QStringList& args, quint64 tag)
{
    if (!handle_)
        return;
    QList<QByteArray> utf8;
    for (const QString& a : args)
        utf8.append(a.toUtf8());
    QVector<const char*> argv;
    for (const QByteArray& a : utf8)
        argv.append(a.constData());
    argv.append(nullptr);
    mpv_command_async(handle_, tag, argv.data());
}

void MpvEngine::setProperty(const char* name, const QString& value)
{
    if (!handle_)
        return;
    QByteArray v = value.toUtf8();
    char* p = v.data();
    mpv_set_property_async(handle_, 0, name, MPV_FORMAT_STRING, &p);
}

void MpvEngine::setDouble(const char* name, double value)
{
    if (handle_)
        mpv_set_property_async(handle_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvEngine::setFlag(const char* name, bool value)
{
    int f = value ? 1 : 0;
    // A pause asked reads at once. mpv tells a property only when it differs from what it told last, so
    // a pause asked and taken back before it told anything (a clip opened ahead of time and named at
    // once) brings no event: the cache must hold the last value asked, not the first.
    if (qstrcmp(name, "pause") == 0)
        paused_ = value;
    if (handle_)
        mpv_set_property_async(handle_, 0, name, MPV_FORMAT_FLAG, &f);
}

void MpvEngine::load(const QString& url, bool paused)
{
    timePos_ = 0;
    duration_ = 0;
    metadata_.clear();
    setFlag("pause", paused);
    idle_ = false;
    currentEntry_ = -1;
    startedEntry_ = -1;
    loaded_ = false;
    restarted_ = false;
    seeking_ = false;
    hasVideo_.reset();
    pendingSeek_ = -1;
    listEntries_.clear();
    currentDepth_ = 0;
    listPlayed_ = false;
    const QString name = MediaAddress::engineName(url);
    if (!handle_ || name.isEmpty()) {
        // No engine, or a name it must not open: the clip fails like an unplayable file, reported after
        // the caller returns unless another load or a stop came first.
        if (handle_)
            command({QStringLiteral("stop")});
        idle_ = true;
        loadTag_ = 0;
        const quint64 seq = ++loadSeq_;
        QMetaObject::invokeMethod(
            this, [this, seq] {
                if (seq == loadSeq_)
                    emit fileEnded(QStringLiteral("error"));
            },
            Qt::QueuedConnection);
        return;
    }
    // The reply names the new entry; until it comes, events of any entry belong to clips replaced.
    loadTag_ = kLoadTag | quint64(++loadSeq_);
    // mpv takes the name's bytes: a path read from a list in the old code page keeps the bytes it came in.
    const QByteArray u = TextFile::nativePath(name);
    const char* args[] = {"loadfile", u.constData(), "replace", nullptr};
    mpv_command_async(handle_, loadTag_, args);
}

void MpvEngine::stop()
{
    currentEntry_ = -1;
    listEntries_.clear();
    loadTag_ = 0;
    ++loadSeq_;
    idle_ = true;
    loaded_ = false;
    restarted_ = false;
    seeking_ = false;
    hasVideo_.reset();
    pendingSeek_ = -1;
    timePos_ = 0;
    command({QStringLiteral("stop")});
}

void MpvEngine::seek(double seconds)
{
    if (!(seconds >= 0))  // also drops NaN
        seconds = 0;
    if (loaded_ && restarted_) {
        // Until mpv has made the seek, the position reads as its target: what it tells meanwhile is of
        // before the seek.
        timePos_ = seconds;
        seeking_ = true;
        command({QStringLiteral("seek"), QString::number(seconds, 'f', 3), QStringLiteral("absolute")}, kSeekTag);
    } else if (!idle_) {
        // mpv refuses a seek until the clip is open and its playback set up: keep it until then.
        timePos_ = seconds;
        pendingSeek_ = seconds;
    }
}

QString MpvEngine::metadata(const QString& key) const
{
    for (auto it = metadata_.constBegin(); it != metadata_.constEnd(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    return QString();
}

void MpvEngine::drain()
{
    while (handle_) {
        mpv_event* e = mpv_wait_event(handle_, 0);
        if (e->event_id == MPV_EVENT_NONE)
            break;
        handle(e);
    }
}

void MpvEngine::handle(mpv_event* e)
{
    if (qEnvironmentVariableIsSet("PELLUM_MPV_TRACE")) {
        long long id = -2;
        if (e->event_id == MPV_EVENT_START_FILE) id = static_cast<mpv_event_start_file*>(e->data)->playlist_entry_id;
        if (e->event_id == MPV_EVENT_END_FILE) id = static_cast<mpv_event_end_file*>(e->data)->playlist_entry_id;
        if (e->event_id != MPV_EVENT_PROPERTY_CHANGE) qDebug("mpv event %s entry %lld tag %llu current %lld", mpv_event_name(e->event_id), id, (unsigned long long)loadTag_, currentEntry_);
    }
    switch (e->event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (e->reply_userdata == kSeekTag && e->error < 0)
            seeking_ = false;  // refused: no seek is coming
        if (loadTag_ != 0 && e->reply_userdata == loadTag_) {
            loadTag_ = 0;
            const auto* cmd = static_cast<mpv_event_command*>(e->data);
            if (e->error < 0) {
                idle_ = true;
                emit fileEnded(QStringLiteral("error"));
                break;
            }
            const mpv_node& r = cmd->result;
            if (r.format == MPV_FORMAT_NODE_MAP)
                for (int i = 0; i < r.u.list->num; ++i)
                    if (qstrcmp(r.u.list->keys[i], "playlist_entry_id") == 0 &&
                        r.u.list->values[i].format == MPV_FORMAT_INT64)
                        currentEntry_ = r.u.list->values[i].u.int64;
            // Events of the new entry that came before this reply.
            const QList<EntryEnd> early = std::exchange(earlyEnds_, {});
            for (const EntryEnd& end : early)
                entryEnded(end);
        }
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (e->reply_userdata == (kTracksTag | loadSeq_) && loaded_) {
            const auto* p = static_cast<mpv_event_property*>(e->data);
            bool video = false;
            if (e->error >= 0 && p->format == MPV_FORMAT_NODE)
                for (const QVariant& t : nodeToVariant(static_cast<mpv_node*>(p->data)).toList()) {
                    const QVariantMap track = t.toMap();
                    video = video || (track.value(QStringLiteral("type")) == QLatin1String("video") &&
                                      track.value(QStringLiteral("selected")).toBool() &&
                                      !track.value(QStringLiteral("albumart")).toBool());
                }
            hasVideo_ = video;
            emit propertiesChanged();
        }
        break;
    case MPV_EVENT_START_FILE:
        startedEntry_ = static_cast<mpv_event_start_file*>(e->data)->playlist_entry_id;
        if (startedEntry_ == currentEntry_)
            emit fileStarted();
        break;
    case MPV_EVENT_FILE_LOADED:
        // FILE_LOADED names no entry: it is the current clip's when the last started entry is.
        if (currentEntry_ >= 0 && startedEntry_ == currentEntry_) {
            loaded_ = true;
            // The tracks mpv chose; the reply comes after every change that loading made.
            mpv_get_property_async(handle_, kTracksTag | loadSeq_, "track-list", MPV_FORMAT_NODE);
            emit fileLoaded();
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // mpv refuses a seek until the clip's playback is set up, which is after it tells the clip is
        // loaded: a seek kept while the clip opened is made now.
        seeking_ = false;
        if (loaded_ && !restarted_) {
            restarted_ = true;
            if (pendingSeek_ >= 0) {
                const double s = pendingSeek_;
                pendingSeek_ = -1;
                seek(s);
            }
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(e->data);
        const QString reason = end->reason == MPV_END_FILE_REASON_EOF        ? QStringLiteral("eof")
                               : end->reason == MPV_END_FILE_REASON_ERROR    ? QStringLiteral("error")
                               : end->reason == MPV_END_FILE_REASON_REDIRECT ? QStringLiteral("redirect")
                                                                             : QStringLiteral("stop");
        const EntryEnd info{end->playlist_entry_id, reason, end->playlist_insert_id,
                            end->playlist_insert_num_entries};
        if (loadTag_ != 0)
            earlyEnds_.append(info);
        else
            entryEnded(info);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* p = static_cast<mpv_event_property*>(e->data);
        const bool has = p->format != MPV_FORMAT_NONE && p->data;
        switch (e->reply_userdata) {
        case TimePos:
            // Until a seek asked for while opening is made, the position reads as its target.
            if (has && pendingSeek_ < 0 && !seeking_)
                timePos_ = *static_cast<double*>(p->data);
            break;
        case PathProp: path_ = has ? QString::fromUtf8(*static_cast<char**>(p->data)) : QString(); break;
        case CurrentVo: outputInUse_ = has ? QString::fromUtf8(*static_cast<char**>(p->data)) : QString(); break;
        case OsdSize: {
            const QVariantMap d = has ? nodeToVariant(static_cast<mpv_node*>(p->data)).toMap() : QVariantMap();
            outputSize_ = QSize(d.value(QStringLiteral("w")).toInt(), d.value(QStringLiteral("h")).toInt());
            break;
        }
        case Duration: if (has) duration_ = *static_cast<double*>(p->data); break;
        case Pause: paused_ = has && *static_cast<int*>(p->data); break;
        case IdleActive:
            if (has && *static_cast<int*>(p->data) && loadTag_ == 0 && currentEntry_ < 0)
                idle_ = true;
            break;
        case VolumeProp: if (has) volume_ = *static_cast<double*>(p->data); break;
        case Speed: if (has) speed_ = *static_cast<double*>(p->data); break;
        case Buffering: buffering_ = has ? int(*static_cast<int64_t*>(p->data)) : 100; break;
        case CacheSpeed: cacheSpeed_ = has ? *static_cast<double*>(p->data) : 0; break;
        case Metadata:
            metadata_ = has ? nodeToVariant(static_cast<mpv_node*>(p->data)).toMap() : QVariantMap();
            break;
        default: break;
        }
        emit propertiesChanged();
        break;
    }
    default: break;
    }
}

void MpvEngine::entryEnded(const EntryEnd& end)
{
    if (end.entry != currentEntry_)
        return;
    loaded_ = false;
    restarted_ = false;
    seeking_ = false;
    const bool redirect = end.reason == QLatin1String("redirect");
    if (redirect && currentDepth_ >= kMaxListDepth) {
        listEntries_.clear();
        command({QStringLiteral("stop")});
    } else if (redirect) {
        // A play list was read: its entries take its place and mpv plays them in turn.
        for (int i = end.insertCount - 1; i >= 0; --i)
            listEntries_.prepend({end.insertId + i, currentDepth_ + 1});
    } else if (end.reason == QLatin1String("eof")) {
        listPlayed_ = true;
    }
    if (end.reason != QLatin1String("stop") && !listEntries_.isEmpty()) {
        const auto next = listEntries_.takeFirst();
        currentEntry_ = next.first;
        currentDepth_ = next.second;
        timePos_ = 0;
        duration_ = 0;
        metadata_.clear();
        return;
    }
    currentEntry_ = -1;
    listEntries_.clear();
    idle_ = true;
    QString reason = end.reason;
    if (reason != QLatin1String("stop"))
        reason = listPlayed_ ? QStringLiteral("eof") : QStringLiteral("error");
    if (reason == QLatin1String("eof"))
        timePos_ = duration_;
    emit fileEnded(reason);
}
