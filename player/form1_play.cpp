// Playing an item: the play step routes a row by its name to the media player, the RealMedia window
// or the Flash control.
#include "player/form1.h"

#include "platform/flash/shockwaveflash.h"
#include "platform/media/mediaplayer.h"
#include "platform/media/realaudio.h"
#include "player/playlistfile.h"
#include "player/rmf.h"
#include "player/she.h"

#include <QSignalBlocker>

namespace {

QString withoutLast(const QString& text, int n) { return text.left(qMax<qsizetype>(0, text.size() - n)); }

}  // namespace

void Form1::List1_Click()
{
    RmF& rmf = RmF::instance();
    rmf.hide();
    Picture2->show();

    CurrentIndex = List2->ListIndex();
    // The row that plays has had its turn in this shuffle round, whether it was drawn or clicked.
    if (CurrentIndex >= 0 && CurrentIndex < ShufflePool.size())
        ShufflePool[CurrentIndex].clear();
    const QString p = List1->List(CurrentIndex);
    if (passOverMissing(CurrentIndex))
        return;

    const Route route = RouteOf(p);
    if (route == Route::List) {
        playListRow(CurrentIndex);
        return;
    }
    if (route == Route::RealMedia) {
        mp->Stop();
        mp->setFileName(QString());
        SF->setMovie(QString());
        PlayerInactive = true;
        SF->setMember139(false);
        SF->hide();
        // The window sits over the video area, its title bar too, so the label strip above stays free.
        rmf.placeOver(QRect(mapToGlobal(Frame1->geometry().topLeft()), mp->size()));
        rmf.show();
        rmf.RA->setSource(p);
        rmf.RA->DoPlay();
        const QString caption = QStringLiteral("PellumPlayer >> ") + rmf.RA->Source();
        rmf.setWindowTitle(caption);
        setWindowTitle(caption);
        Label4->setText(QStringLiteral("●") + withoutLast(SHE::FileNameOf(rmf.RA->Source()), 3));
        return;
    }
    if (route == Route::Flash) {
        mp->Stop();
        mp->setFileName(QString());
        PlayerInactive = true;
        rmf.RA->setSource(QString());
        rmf.RA->DoStop();
        SF->setMember139(false);
        SF->setMovie(QString());
        SF->show();
        SF->raise();
        SF->setMovie(p);
        Label4->setText(QStringLiteral("●") + withoutLast(SHE::FileNameOf(p), 4));
        SF->Play();
        setWindowTitle(QStringLiteral("PellumPlayer >> ") + SF->Movie());
        return;
    }
    playInMp(p);
}

// The media player's road, for a row of the list and for an address alike: the other two players let go
// of what they held, and the display follows the new item.
void Form1::playInMp(const QString& p)
{
    SF->hide();
    PlayerInactive = false;
    if (RmF::isLoaded()) {
        RmF& rmf = RmF::instance();
        rmf.RA->setSource(QString());
        rmf.RA->DoStop();
    }
    SF->setMovie(QString());
    mp->setFileName(p);
    mp->setFlagMember(23, false);
    marquee();
}

Form1::Route Form1::RouteOf(const QString& path)
{
    if (path.endsWith(QStringLiteral("pellum"), Qt::CaseInsensitive))
        return Route::List;
    if (path.endsWith(QStringLiteral("rm"), Qt::CaseInsensitive))
        return Route::RealMedia;
    if (path.endsWith(QStringLiteral("swf"), Qt::CaseInsensitive))
        return Route::Flash;
    return Route::Player;
}

void Form1::marquee()
{
    mp->setVolume(-1);
    const QString file = mp->FileName();
    if (file.isEmpty())
        return;
    SeekBarRange();
    Picture2->update();
    setWindowTitle(QStringLiteral("PellumPlayer >> ") + file);
    Label4->setText(QStringLiteral("●") + withoutLast(SHE::FileNameOf(file), 4));
    Label6->setText(List2->List(List2->ListIndex()).left(2));
    const QString tail = file.right(3).toLower();
    const bool audioOnly = tail == QLatin1String("wav") || tail == QLatin1String("mp3") ||
                           tail == QLatin1String("mid") || tail == QLatin1String("wma");
    Picture2->setVisible(audioOnly);
    if (audioOnly)
        Picture2->update();
}

void Form1::mp_StateChanged()
{
    if (mp->FileName().isEmpty())
        return;
    // The clip is still opening when the play step shows it: the range follows once the duration is known.
    SeekBarRange();
    // Once the tracks are known, the clip's own media decides over marquee's rule of names: a clip of sound
    // only shows the backdrop whatever its name, and a clip with a picture shows its picture, by whatever
    // road it came (an address, the compact mode handing its file back, a video under a sound's name).
    const std::optional<bool> video = mp->HasVideo();
    if (video.has_value() && Picture2->isHidden() != *video) {
        Picture2->setVisible(!*video);
        if (!*video)
            Picture2->update();
    }
}

void Form1::SeekBarRange()
{
    const int top = qMax(1, int(qRound(mp->Duration())));
    if (PBX->minimum() == 1 && PBX->maximum() == top)
        return;
    // Setting the range moves the bar's value; that is no seek.
    const QSignalBlocker block(PBX);
    PBX->setRange(1, top);
}

void Form1::Tfs()
{
    if (fs->Checked()) {
        if (mp->PlayState() != 1)
            mp->setDisplaySize(3);
    } else {
        mp->setDisplaySize(4);
    }
}

void Form1::et_Click() { List2->selectNext(); }

void Form1::ps_Click() { List2->selectPrevious(); }

void Form1::play_Click()
{
    if (!mp->FileName().isEmpty())
        mp->Play();
}

void Form1::pa_Click()
{
    if (mp->PlayState() == 2)
        mp->Pause();
    else if (mp->PlayState() == 1)
        mp->Play();
}

void Form1::st_Click()
{
    PlayerInactive = true;
    mp->setFileName(QString());
    SF->setMovie(QString());
    SF->hide();
    RmF& rmf = RmF::instance();
    rmf.RA->setSource(QString());
    rmf.RA->DoStop();
    rmf.hide();
    mp->setFlagMember(23, false);
    Picture2->show();
    Label6->clear();
    PBX->setValue(1);
}

void Form1::ma_Click()
{
    if (!mp->FileName().isEmpty())
        mp->Play();
    mp->setDisplaySize(3);
}

void Form1::py_Click() { List2->setListIndex(markedIndex); }

void Form1::rate_Click(MenuItem* item)
{
    static const QList<QPair<const char*, double>> rates{{"s18x", 0.125}, {"s14x", 0.25}, {"s12x", 0.5},
                                                         {"nor", 1.0},    {"s15x", 1.5},  {"s2x", 2.0}};
    for (const auto& r : rates)
        if (item->objectName() == QLatin1String(r.first))
            mp->setRate(r.second);
    CheckRateItem(item);
}

void Form1::CheckRateItem(MenuItem* item)
{
    for (MenuItem* r : {nor, s18x, s14x, s12x, s15x, s2x})
        r->setChecked(false);
    item->setChecked(true);
}

void Form1::PBX_Change()
{
    // The status timer moves the bar with its signals blocked, so only other moves seek.
    mp->setCurrentPosition(PBX->value());
}
