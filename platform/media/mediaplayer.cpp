#include "platform/media/mediaplayer.h"

#include "platform/media/mpvengine.h"
#include "platform/media/videoview.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QWindow>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace {

// The control's volume (hundredths of a decibel, 0 loudest) as mpv's volume (percent on a cubic curve).
double mpvVolume(int volume)
{
    if (volume >= -1)
        return 100.0;
    if (volume <= -10000)
        return 0.0;
    return 100.0 * std::pow(10.0, (volume / 100.0) / 60.0);
}

// The engine PrepareAhead made and the clip it opened, until a player takes them.
struct Ahead {
    QPointer<MpvEngine> engine;
    QString path;
};

Ahead& ahead()
{
    static Ahead a;
    return a;
}

}  // namespace

void MediaPlayer::PrepareAhead(const QString& path)
{
    if (path.isEmpty() || ahead().engine)
        return;
    auto* engine = new MpvEngine(QCoreApplication::instance());
    engine->load(path, true);
    ahead() = {engine, path};
}

MediaPlayer::MediaPlayer(QWidget* parent)
    : QWidget(parent), engine_(ahead().engine), view_(new VideoView(this))
{
    if (engine_) {
        engine_->setParent(this);
        prepared_ = std::exchange(ahead(), {}).path;
    } else {
        engine_ = new MpvEngine(this);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->installEventFilter(this);
    setMouseTracking(true);
    connect(engine_, &MpvEngine::fileEnded, this, [this](const QString& reason) {
        prepared_.clear();
        if (fileName_.isEmpty()) {  // a prepared clip: nothing the windows know of has ended
            emit stateChanged();
            return;
        }
        if (reason == QLatin1String("error"))
            error_ = true;
        emit stateChanged();
        if (reason == QLatin1String("eof"))
            emit EndOfStream(0);
    });
    connect(engine_, &MpvEngine::propertiesChanged, this, [this] {
        applyDisplaySize();  // the tracks may have just become known
        emit stateChanged();
    });
}

MediaPlayer::~MediaPlayer()
{
    // The engine goes first: it draws into the view, which may be in the full-screen window.
    delete engine_;
    delete fullScreen_;
}

MpvEngine& MediaPlayer::engine() const { return *engine_; }

QString MediaPlayer::FileName() const { return fileName_; }

void MediaPlayer::setFileName(const QString& path)
{
    const bool prepared = !path.isEmpty() && path == prepared_ && !engine_->idle();
    prepared_.clear();
    fileName_ = path;
    error_ = false;
    ++clipSerial_;
    startAt_ = 0;
    if (path.isEmpty()) {
        engine_->stop();
        return;
    }
    view_->attach(*engine_);
    if (prepared)
        engine_->setFlag("pause", false);
    else
        engine_->load(path);
}

void MediaPlayer::Prepare(const QString& path)
{
    if (path.isEmpty() || !fileName_.isEmpty())
        return;
    const bool opened = path == prepared_ && !engine_->idle();  // opened ahead
    prepared_ = path;
    view_->attach(*engine_);
    if (!opened)
        engine_->load(path, true);
}

double MediaPlayer::CurrentPosition() const { return engine_->idle() ? startAt_ : engine_->timePos(); }

void MediaPlayer::setCurrentPosition(double seconds)
{
    if (fileName_.isEmpty())
        return;
    if (!(seconds >= 0))  // also NaN
        seconds = 0;
    if (!engine_->idle())
        engine_->seek(seconds);  // kept by the engine until the clip is open
    else
        startAt_ = seconds;      // stopped: the next Play starts there
}

double MediaPlayer::Duration() const { return engine_->duration(); }

double MediaPlayer::Rate() const { return rate_; }

void MediaPlayer::setRate(double rate)
{
    if (!(rate > 0.0))
        return;
    rate_ = rate;
    engine_->setDouble("speed", rate);
}

int MediaPlayer::DisplaySize() const { return displaySize_; }

void MediaPlayer::setDisplaySize(int size)
{
    if (size == displaySize_)
        return;
    displaySize_ = size;
    applyDisplaySize();
}

// Full screen is for a clip with a picture: a clip of sound only stays in the window, where its backdrop
// shows. While a new clip opens and its tracks are not known yet, what shows stays as it is; once they
// are, the picture goes full screen, or the screen is given back for a clip of sound only. At the advance
// from a clip with a picture the screen is taken before the next clip opens, so that the engine starts
// drawing the next picture into the full-screen window rather than being moved there as it starts.
void MediaPlayer::applyDisplaySize()
{
    if (MpvEngine::nullOutput())
        return;
    const std::optional<bool> video = HasVideo();
    if (displaySize_ != 3 || fileName_.isEmpty() || video == false)
        leaveFullScreen();
    else if (video == true)
        enterFullScreen();
}

bool MediaPlayer::isFullScreen() const { return fullScreen_ && view_->parentWidget() == fullScreen_; }

void MediaPlayer::enterFullScreen()
{
    // The view moves, as a native child, into a frameless window over the whole screen. Its own native
    // window goes with it (the engine keeps drawing into the same window), so it can come back the same
    // way; Escape or a double click brings it back.
    if (!fullScreen_) {
        fullScreen_ = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
        fullScreen_->setObjectName(QStringLiteral("mpFullScreen"));
        auto* layout = new QVBoxLayout(fullScreen_);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), fullScreen_);
        connect(escape, &QShortcut::activated, this, [this] { setDisplaySize(4); });
    }
    if (isFullScreen())
        return;
    // The full-screen window bears the title of the window the control sits in, and follows it from item
    // to item.
    window()->installEventFilter(this);
    fullScreen_->setWindowTitle(window()->windowTitle());
    fullScreen_->winId();  // the view's window needs a native parent to move into
    fullScreen_->layout()->addWidget(view_);
    view_->show();
    // Without a window manager showFullScreen alone leaves the size as it was.
    if (QScreen* s = screen())
        fullScreen_->setGeometry(s->geometry());
    fullScreen_->showFullScreen();
    fullScreen_->raise();
    fullScreen_->activateWindow();
}

void MediaPlayer::waitForFullScreenPicture(int ms)
{
    if (MpvEngine::nullOutput())
        return;  // nothing goes full screen
    QElapsedTimer clock;
    clock.start();
    QImage last;
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!isFullScreen()) {
            // A clip still opening goes full screen once its tracks show it has a picture.
            if (displaySize_ != 3 || fileName_.isEmpty() || HasVideo().has_value())
                return;
            QThread::msleep(5);
            continue;
        }
        if (!fullScreen_->windowHandle() || !fullScreen_->windowHandle()->isExposed()) {
            QThread::msleep(5);
            continue;
        }
        if (HasVideo() != true)
            return;
        // The engine draws on its own thread once it has taken the new size. Until the centre of the view
        // shows the same picture twice, not black, the screen may still hold what was there before.
        if (engine_->outputSize() != view_->size() * view_->devicePixelRatio()) {
            QThread::msleep(5);
            continue;
        }
        const QRect centre(view_->mapToGlobal(view_->rect().center()) - QPoint(32, 32), QSize(64, 64));
        const QImage now =
            view_->screen()->grabWindow(0, centre.x(), centre.y(), centre.width(), centre.height()).toImage();
        if (!now.isNull() && now == last) {
            for (int y = 0; y < now.height(); ++y)
                for (int x = 0; x < now.width(); ++x)
                    if (qGray(now.pixel(x, y)) > 24)
                        return;
        }
        last = now;
        QThread::msleep(40);
    }
}

void MediaPlayer::leaveFullScreen()
{
    if (!isFullScreen())
        return;
    layout()->addWidget(view_);
    view_->show();
    layout()->activate();
    fullScreen_->hide();
    window()->activateWindow();
}

int MediaPlayer::PlayState() const
{
    if (fileName_.isEmpty() || engine_->idle() || error_)
        return 0;
    return engine_->paused() ? 1 : 2;
}

int MediaPlayer::Volume() const { return volume_; }

void MediaPlayer::setVolume(int volume)
{
    volume_ = qBound(-10000, volume, 0);
    engine_->setDouble("volume", mpvVolume(volume_));
}

bool MediaPlayer::ErrorFlag() const { return error_; }

std::optional<bool> MediaPlayer::HasVideo() const { return engine_->hasVideo(); }

long MediaPlayer::Bandwidth() const { return long(engine_->cacheSpeed() * 8.0); }

int MediaPlayer::BufferingProgress() const { return engine_->bufferingState(); }

void MediaPlayer::setFlagMember(int member, bool value) { flags_[member] = value; }

bool MediaPlayer::flagMember(int member) const { return flags_.value(member, false); }

void MediaPlayer::Play()
{
    if (fileName_.isEmpty())
        return;
    if (engine_->idle()) {
        error_ = false;
        ++clipSerial_;
        view_->attach(*engine_);
        engine_->load(fileName_);
        engine_->setDouble("speed", rate_);
        if (startAt_ > 0)
            engine_->seek(startAt_);
        startAt_ = 0;
    } else {
        engine_->setFlag("pause", false);
    }
}

void MediaPlayer::Pause()
{
    if (!engine_->idle())
        engine_->setFlag("pause", true);
}

void MediaPlayer::Stop()
{
    // The clip stays named; Play starts it again from the beginning.
    startAt_ = 0;
    ++clipSerial_;
    engine_->stop();
}

void MediaPlayer::Open(const QString& address) { setFileName(address); }

QString MediaPlayer::GetMediaInfoString(int kind) const
{
    if (kind != 9)
        return QString();
    const QString artist = engine_->metadata(QStringLiteral("artist"));
    return artist.isEmpty() ? engine_->metadata(QStringLiteral("author")) : artist;
}

QMenu* MediaPlayer::dialogMenu()
{
    if (!menu_) {
        menu_ = new QMenu(this);
        menu_->addAction(QStringLiteral("Play"), this, &MediaPlayer::Play);
        menu_->addAction(QStringLiteral("Pause"), this, &MediaPlayer::Pause);
        menu_->addAction(QStringLiteral("Stop"), this, &MediaPlayer::Stop);
        menu_->addSeparator();
        auto* group = new QActionGroup(menu_);
        for (double r : {0.125, 0.25, 0.5, 1.0, 1.5, 2.0}) {
            QAction* a = menu_->addAction(QString::number(r) + QStringLiteral("x"));
            a->setCheckable(true);
            a->setData(r);
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, r] { setRate(r); });
        }
    }
    for (QAction* a : menu_->actions())
        if (a->isCheckable())
            a->setChecked(qFuzzyCompare(a->data().toDouble(), rate_));
    return menu_;
}

void MediaPlayer::ShowDialog(int kind)
{
    if (kind == 3)
        dialogMenu()->popup(QCursor::pos());
}

bool MediaPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange && watched == window() && fullScreen_)
        fullScreen_->setWindowTitle(window()->windowTitle());
    if (watched == view_) {
        if (event->type() == QEvent::MouseMove) {
            auto* m = static_cast<QMouseEvent*>(event);
            emit MouseMove(int(m->buttons()), int(m->modifiers() >> 25), int(m->position().x() * 15),
                           int(m->position().y() * 15));
        } else if (event->type() == QEvent::MouseButtonDblClick && isFullScreen()) {
            setDisplaySize(4);
        }
    }
    return QWidget::eventFilter(watched, event);
}
