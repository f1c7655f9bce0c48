#pragma once
// The RealMedia control as the windows host it. Instances bound to the same console name drive one
// clip together: typically one shows the picture ("ImageWindow") and one the control panel with play,
// stop and a position bar ("ControlPanel"). Positions and lengths are whole milliseconds.
#include <QPointer>
#include <QWidget>

class MpvEngine;
class QSlider;
class QTimer;

class RealAudio : public QWidget {
    Q_OBJECT
public:
    enum Part { ImageWindow, ControlPanel };
    RealAudio(const QString& console, Part part, QWidget* parent = nullptr);
    ~RealAudio() override;

    // The clip's path or address, read back exactly as set ("file://" and a path for a local clip);
    // the empty text unloads. Setting it does not play.
    QString Source() const;
    void setSource(const QString& source);
    void DoPlay();
    void DoStop();
    long GetPosition() const;  // ms; equals GetLength() once the clip has played to its end
    long GetLength() const;    // ms
    // True when the clip of the source could not be played (unreadable, missing, or an address of a
    // kind the player does not open); cleared by a new source, DoPlay and DoStop.
    bool ErrorFlag() const;
    void SetPosition(long ms);
    // Shows the picture over the whole screen (the window calls it when maximised); Escape or a double
    // click on the picture brings the window back to its normal place.
    void SetFullScreen();
    int fullScreenRequests() const;

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leaveFullScreen();
    struct Console;
    static Console& console(const QString& name);
    void refreshPanel();

    QString consoleName_;
    Part part_;
    Console* console_;
    QSlider* bar_ = nullptr;
    QTimer* panelTimer_ = nullptr;
};
