#pragma once
// The general media-player control as the windows host it: a widget that shows the video of its clip
// and answers the members the windows use (file name, position, duration, rate, display size, play
// state, volume, error flag, play/pause/stop/open, info strings, its own menu). Built on one mpv engine;
// every getter reads the engine's property cache and never waits on mpv.
#include <QHash>
#include <QWidget>
#include <QString>
#include <optional>

class MpvEngine;
class QMenu;
class VideoView;

class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // Setting a path opens it and starts playing; the empty text stops and closes the clip.
    // Reads back the path last set (the empty text when nothing is loaded).
    QString FileName() const;
    void setFileName(const QString& path);
    // Opens `path` ahead of time, held at its first frame, while nothing is loaded: setting FileName to
    // the same path then plays it on from there instead of opening it again. Any other use replaces it.
    void Prepare(const QString& path);
    // Opens `path` in the same way before any player exists (at start-up, while the windows are built),
    // in an engine that the next player made takes over with the clip; its Prepare or FileName of the
    // same path then goes on from there.
    static void PrepareAhead(const QString& path);

    double CurrentPosition() const;          // seconds
    void setCurrentPosition(double seconds); // seeks
    double Duration() const;                 // seconds, 0 when unknown
    double Rate() const;
    void setRate(double rate);
    int DisplaySize() const;                 // 3 full screen, 4 fit to the control
    void setDisplaySize(int size);
    bool isFullScreen() const;               // the video shows over the whole screen
    // Processes events until the full-screen picture is on the screen (for at most `ms` milliseconds):
    // the window shown, and for a clip with a picture, its frame drawn at the screen's size.
    void waitForFullScreenPicture(int ms);
    int PlayState() const;                   // 0 stopped, 1 paused, 2 playing

    // The control's own volume scale: 0 and -1 are the loudest, each -100 is one decibel quieter,
    // -10000 is silent.
    int Volume() const;
    void setVolume(int volume);

    bool ErrorFlag() const;                  // true when the current clip could not be played
    // Grows with every clip given (also the same path again), every stop and every start from the
    // beginning, so that a caller can tell the clip it began with from a later one of the same name.
    quint64 clipSerial() const { return clipSerial_; }
    // Whether the clip shows a picture: empty while it opens, false for a clip of sound only.
    std::optional<bool> HasVideo() const;
    long Bandwidth() const;                  // bits a second while streaming, 0 otherwise
    int BufferingProgress() const;           // 0..100

    // Truth-valued members the windows set without relying on an effect of their own (23, 1025, 1056).
    void setFlagMember(int member, bool value);
    bool flagMember(int member) const;

    void Play();
    void Pause();
    void Stop();
    void Open(const QString& address);
    QString GetMediaInfoString(int kind) const;  // 9: the clip's author/artist
    void ShowDialog(int kind);                   // 3: the control's own menu

    MpvEngine& engine() const;
    // The control's own menu that ShowDialog(3) pops up.
    QMenu* dialogMenu();

signals:
    // Raised once when the clip plays to its end; never on an error or a stop.
    void EndOfStream(long result);
    void MouseMove(int button, int shift, int x, int y);
    // Raised when the state the getters report has changed (optional to use; the windows poll).
    void stateChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyDisplaySize();
    void enterFullScreen();
    void leaveFullScreen();

    MpvEngine* engine_;
    VideoView* view_;
    QMenu* menu_ = nullptr;
    QWidget* fullScreen_ = nullptr;  // the window the view moves into for full screen
    QString fileName_;
    QString prepared_;    // the clip Prepare opened, until FileName takes it or something replaces it
    double rate_ = 1.0;
    int displaySize_ = 4;
    int volume_ = -1;
    bool error_ = false;
    quint64 clipSerial_ = 0;
    double startAt_ = 0;  // a position set while stopped: where the next Play starts
    QHash<int, bool> flags_;
};
