#pragma once
// The Flash control of the main window. Flash movies are not played: the control reads the movie's
// header and shows a still panel with the file name, what the header says and a line saying so.
#include "platform/flash/swfheader.h"

#include <QStringList>
#include <QWidget>

class ShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    explicit ShockwaveFlash(QWidget* parent = nullptr);

    // The movie to show; the empty text unloads it.
    void setMovie(const QString& path);
    QString Movie() const { return movie_; }
    void Play();
    // Kept for the callers that set it before loading a movie; it changes nothing here.
    void setMember139(bool on) { member139_ = on; }
    bool member139() const { return member139_; }

    bool isPlaying() const { return playing_; }
    const SwfHeader& header() const { return header_; }
    // The lines the panel shows, top to bottom (empty when unloaded).
    QStringList lines() const;

    QSize sizeHint() const override { return {320, 240}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString movie_;
    SwfHeader header_;
    QString problem_;  // a file-level problem (missing, unreadable); else the header's error
    bool playing_ = false;
    bool member139_ = false;
};
