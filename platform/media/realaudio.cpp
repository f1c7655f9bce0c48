#include "platform/media/realaudio.h"

#include "platform/media/mpvengine.h"
#include "platform/media/videoview.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

// One clip shared by every instance on the same console. The engine is made on first use and freed
// with the console's last instance.
struct RealAudio::Console {
    std::unique_ptr<MpvEngine> engine;
    QString source;
    bool ended = false;
    bool failed = false;
    int instances = 0;
    int fullScreen = 0;
    QPointer<VideoView> picture;

    MpvEngine& mpv()
    {
        if (!engine) {
            engine = std::make_unique<MpvEngine>();
            QObject::connect(engine.get(), &MpvEngine::fileEnded, engine.get(),
                             [this](const QString& reason) {
                                 ended = reason == QLatin1String("eof");
                                 failed = reason == QLatin1String("error");
                             });
        }
        return *engine;
    }
};

RealAudio::Console& RealAudio::console(const QString& name)
{
    // Never destroyed: a console lives as long as the process.
    static auto& consoles = *new QHash<QString, Console*>;
    Console*& c = consoles[name];
    if (!c)
        c = new Console;
    return *c;
}

RealAudio::RealAudio(const QString& console, Part part, QWidget* parent)
    : QWidget(parent), consoleName_(console), part_(part), console_(&RealAudio::console(console))
{
    ++console_->instances;
    setAttribute(Qt::WA_StyledBackground);  // a background given by a style sheet is painted
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (part == ImageWindow) {
        auto* view = new VideoView(this);
        layout->addWidget(view);
        console_->picture = view;
        // Escape or a double click on the picture leaves full screen for the window's normal place.
        view->installEventFilter(this);
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), view);
        connect(escape, &QShortcut::activated, this, &RealAudio::leaveFullScreen);
    } else {
        auto* play = new QPushButton(QStringLiteral("▶"), this);
        auto* stop = new QPushButton(QStringLiteral("■"), this);
        play->setToolTip(QStringLiteral("Play"));
        stop->setToolTip(QStringLiteral("Stop"));
        bar_ = new QSlider(Qt::Horizontal, this);
        layout->addWidget(play);
        layout->addWidget(stop);
        layout->addWidget(bar_, 1);
        connect(play, &QPushButton::clicked, this, &RealAudio::DoPlay);
        connect(stop, &QPushButton::clicked, this, &RealAudio::DoStop);
        connect(bar_, &QSlider::sliderReleased, this, [this] { SetPosition(bar_->value()); });
        panelTimer_ = new QTimer(this);
        panelTimer_->setInterval(500);
        connect(panelTimer_, &QTimer::timeout, this, &RealAudio::refreshPanel);
        panelTimer_->start();
    }
}

RealAudio::~RealAudio()
{
    // The engine draws into the picture's window, which goes with this instance: it goes first.
    const bool picture = part_ == ImageWindow && console_->picture && console_->picture->parent() == this;
    if (--console_->instances == 0 || picture)
        console_->engine.reset();
}

QString RealAudio::Source() const { return console_->source; }

void RealAudio::setSource(const QString& source)
{
    if (source == console_->source)
        return;
    // A new source replaces the clip: the old one stops, the new one waits for DoPlay.
    console_->source = source;
    console_->ended = false;
    console_->failed = false;
    if (console_->engine)
        console_->engine->stop();
}

void RealAudio::DoPlay()
{
    if (console_->source.isEmpty())
        return;
    MpvEngine& mpv = console_->mpv();
    if (console_->picture)
        console_->picture->attach(mpv);
    if (mpv.idle()) {
        console_->ended = false;
        console_->failed = false;
        mpv.load(console_->source);
    } else {
        mpv.setFlag("pause", false);
    }
}

void RealAudio::DoStop()
{
    if (console_->engine)
        console_->engine->stop();
    console_->ended = false;
    console_->failed = false;
}

bool RealAudio::ErrorFlag() const { return console_->failed; }

long RealAudio::GetLength() const
{
    return console_->engine ? long(console_->engine->duration() * 1000.0) : 0;
}

long RealAudio::GetPosition() const
{
    if (!console_->engine)
        return 0;
    if (console_->ended)
        return GetLength();
    return long(console_->engine->timePos() * 1000.0);
}

void RealAudio::SetPosition(long ms)
{
    if (console_->engine)
        console_->engine->seek(ms / 1000.0);  // kept until the clip is open; dropped when stopped
}

void RealAudio::SetFullScreen()
{
    ++console_->fullScreen;
    if (console_->picture && !MpvEngine::nullOutput()) {
        QWidget* w = console_->picture->window();
        w->showFullScreen();
        w->activateWindow();
    }
}

void RealAudio::leaveFullScreen()
{
    QWidget* w = window();
    if (w->isFullScreen())
        w->showNormal();
}

bool RealAudio::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == console_->picture)
        leaveFullScreen();
    return QWidget::eventFilter(watched, event);
}

int RealAudio::fullScreenRequests() const { return console_->fullScreen; }

QSize RealAudio::sizeHint() const { return part_ == ControlPanel ? QSize(320, 32) : QSize(320, 240); }

void RealAudio::refreshPanel()
{
    if (!bar_ || bar_->isSliderDown())
        return;
    const QSignalBlocker block(bar_);
    bar_->setRange(0, int(GetLength()));
    bar_->setValue(int(GetPosition()));
}
