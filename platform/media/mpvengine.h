#pragma once
// One mpv handle driven from the GUI thread without ever waiting on it: options are set before start,
// commands go out asynchronously, the properties the windows poll are observed into a cache, and mpv's
// events arrive as Qt signals on the GUI thread.
#include <QObject>
#include <QString>
#include <QList>
#include <QPair>
#include <QSize>
#include <QVariantMap>
#include <optional>
#include <thread>
#include <utility>

struct mpv_handle;
struct mpv_event;

class MpvEngine : public QObject {
    Q_OBJECT
public:
    explicit MpvEngine(QObject* parent = nullptr);
    ~MpvEngine() override;

    bool isValid() const { return handle_ != nullptr; }
    // Starts making the first engine's mpv handle on a worker thread, for the first engine made to take.
    // Called first thing, before the application object: the locale is settled then, as the application
    // will settle it but with numbers in mpv's "C" form (where LC_ALL names a locale nothing starts
    // until applicationMade()). Also with the application made.
    static void startEarly();
    // Called once the application object exists: the environment is as it was again, the numeric locale
    // "C", and the handle is being made.
    static void applicationMade();
    // The video output chosen for this process: "null" with no display or when PELLUM_NULL_OUTPUT=1.
    static bool nullOutput();
    // The output that draws into native windows on this display, decided once per run: mpv's `gpu`
    // output (with `x11` behind it, should OpenGL fail) where the X server renders on a graphics device,
    // `x11` where it does not. PELLUM_VIDEO_OUTPUT=gpu or =x11 names one instead (gpu then also
    // where OpenGL renders in software).
    static QString videoOutput();
    // The choice for an X server that offers `extensions`. A server without a device (Xvfb) renders
    // OpenGL in software, where `gpu` only costs time before the first frame.
    static QString videoOutputFor(const QStringList& extensions);

    // Gives mpv a native window to draw into (before the first file is loaded).
    void setWindowId(quintptr wid, const QString& vo);

    // Sends a command; its reply comes with `tag` (0: no reply is looked at).
    void command(const QStringList& args, quint64 tag = 0);
    void setProperty(const char* name, const QString& value);
    void setDouble(const char* name, double value);
    void setFlag(const char* name, bool value);

    // Loads `url` in place of what is loaded and plays it (or holds it paused at its first frame); the new
    // entry's id is tracked so that events of the replaced entry are told apart. A play list (.m3u, .pls)
    // plays its entries in turn as one clip: it ends once, after its last entry. A name the engine must
    // not open (MediaAddress) fails as an unplayable file does.
    void load(const QString& url, bool paused = false);
    void stop();
    // Seeks to `seconds` from the start. While the clip is still opening the seek is kept and made as
    // soon as it is open; with nothing loaded it is dropped.
    void seek(double seconds);
    bool loaded() const { return loaded_; }  // the current clip is open (between FILE_LOADED and its end)

    // The observed cache.
    double timePos() const { return timePos_; }
    double duration() const { return duration_; }
    bool paused() const { return paused_; }
    bool idle() const { return idle_; }
    double speed() const { return speed_; }
    double volume() const { return volume_; }
    int bufferingState() const { return buffering_; }
    double cacheSpeed() const { return cacheSpeed_; }
    QString metadata(const QString& key) const;  // case-insensitive tag lookup
    QString path() const { return path_; }       // what mpv has open, empty when idle
    // Whether the open clip shows a picture (a video track is playing; cover art does not count); empty
    // until the clip's tracks are known.
    std::optional<bool> hasVideo() const { return hasVideo_; }
    // The size in pixels the video output last drew at (empty with no video output).
    QSize outputSize() const { return outputSize_; }
    // The video output drawing the picture ("gpu", "x11"), empty while none is.
    QString videoOutputInUse() const { return outputInUse_; }

signals:
    void fileStarted();
    void fileLoaded();
    // The current clip ended: reason "eof", "error" or "stop". Events of replaced clips are dropped.
    // A play list ends with "eof" when one of its entries played to its end, else with "error".
    void fileEnded(const QString& reason);
    void propertiesChanged();

private:
    struct EntryEnd {
        long long entry;
        QString reason;       // "eof", "error", "stop" or "redirect" (a play list gave its entries)
        long long insertId;   // the first entry a play list put in its place
        int insertCount;
    };
    void drain();
    void handle(mpv_event* e);
    void entryEnded(const EntryEnd& end);

    mpv_handle* handle_ = nullptr;
    std::thread checker_;          // answers mpv's on_load question on its own handle
    quint64 loadTag_ = 0;          // reply tag of the load in flight, 0 when none
    quint64 loadSeq_ = 0;
    QList<EntryEnd> earlyEnds_;
    long long currentEntry_ = -1;  // playlist entry id of the current file
    int currentDepth_ = 0;         // how many play lists deep the current entry lies
    QList<std::pair<long long, int>> listEntries_;  // entries (and depths) of the current clip still to come
    bool listPlayed_ = false;      // an entry of the current clip played to its end
    long long startedEntry_ = -1;  // entry of the last START_FILE
    bool loaded_ = false;
    bool restarted_ = false;       // mpv has set up the current clip's playback (and takes seeks)
    bool seeking_ = false;         // a seek sent and not yet made
    std::optional<bool> hasVideo_;
    QSize outputSize_;
    QString outputInUse_;
    double pendingSeek_ = -1;      // a seek asked for while the clip was opening
    QString path_;
    double timePos_ = 0;
    double duration_ = 0;
    bool paused_ = false;
    bool idle_ = true;
    double speed_ = 1.0;
    double volume_ = 100.0;
    int buffering_ = 100;
    double cacheSpeed_ = 0;
    QVariantMap metadata_;
};
