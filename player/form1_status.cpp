// The status timer, the activity picture and the advance at the end of an item.
#include "player/form1.h"

#include "platform/media/mediaplayer.h"
#include "platform/media/realaudio.h"
#include "player/compact/sst.h"
#include "player/frmabout.h"
#include "player/rmf.h"
#include "player/she.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <climits>

void Form1::Timer1_Timer()
{
    const int state = mp->PlayState();
    static const char* const names[] = {"Stopped", "Paused", "Playing"};
    Label3->setText(state >= 0 && state <= 2 ? QString::fromLatin1(names[state]) : QString());

    if (!mp->FileName().isEmpty())
        IdleTicks = 0;
    if (IdleTicks == 50)
        setWindowTitle(QStringLiteral(" PellumPlayer - ") + frmAbout::instance().lv->text());
    if (mp->FileName().isEmpty() && IdleTicks < SHRT_MAX)
        ++IdleTicks;

    if (state == 2) {
        if (Timer3->interval() != Timer3Tag || !Timer3->isActive())
            Timer3->start(Timer3Tag);
        // While the user holds the thumb, the bar is theirs: the tick does not move it under the pointer.
        if (!PBX->isSliderDown()) {
            const QSignalBlocker block(PBX);
            PBX->setValue(int(qRound(mp->CurrentPosition())));
        }
        Label5->setText(frmAbout::instance().VersionText + QStringLiteral("\r\n") +
                        sst(qRound(mp->CurrentPosition())) + QStringLiteral(" / ") + sst(qRound(mp->Duration())));
    } else {
        Timer3->stop();
        Label5->setText(WelcomeText);
    }
    // A file just passed over stays named in the status text for a while.
    if (const QString passed = passedOverText(); !passed.isEmpty())
        Label5->setText(passed);

    bool goOn = true;
    if (mp->ErrorFlag())
        goOn = dropFailedClip();
    if (!goOn)
        return;

    if (mp->PlayState() == 0)
        mp->setDisplaySize(2);

    RmF& rmf = RmF::instance();
    if (!rmf.RA->Source().isEmpty()) {
        Label5->setText(QStringLiteral("PellumPlayer\r\nAuthor: ") + mp->GetMediaInfoString(9) +
                        QStringLiteral("\r\n") + sst(qRound(rmf.RA->GetPosition() / 1000.0)) + QStringLiteral(" / ") +
                        sst(qRound(rmf.RA->GetLength() / 1000.0)));
    }
}

bool Form1::dropFailedClip(bool fromMp)
{
    const int selected = List2->ListIndex();
    if ((fromMp && PlayerInactive) || !isVisible() || selected < 0)
        return false;
    // A clip opened from elsewhere (an address, a radio station) is no row of the list.
    if (fromMp && mp->FileName() != List1->List(selected))
        return false;
    // Only a file that is there but cannot be played is dropped; one that went away while it played
    // (its drive unplugged) is passed over and kept.
    if (passOverMissing(selected))
        return false;
    if (selected == List1->ListCount() - 1) {
        List1->RemoveItem(selected);
        List2->RemoveItem(selected);
        if (en->Checked())
            List2->setListIndex(0);
        return false;
    }
    if (selected > List2->ListCount() - 1)
        return false;
    List1->RemoveItem(selected);
    List2->RemoveItem(selected);
    List2->setListIndex(CurrentIndex);
    return true;
}

// A row whose file is not there (an unplugged drive, an unmounted share) is passed over rather than
// dropped: it keeps its place and its text in both lists, so the saved list keeps the path for the day
// the drive comes back. The title and the now-playing line say which file was not found, and the
// advance goes on to the next row whose file is there, wrapping to the top only with RepeatAll (with
// shuffle, a draw). A row that names a list file on such a drive is passed over and kept the same way.
// One pass at most: a list with nothing playable stops, also with RepeatAll. Returns false, doing
// nothing, when the row's file is there (or the row is an address).
bool Form1::passOverMissing(int row)
{
    const QString path = List1->List(row);
    if (!missingPassedOver(row))
        return false;
    const QString notice = QStringLiteral("File not found: ") + path;
    const int n = List2->ListCount();
    int next = -1;
    if (shu->Checked()) {
        ShuffleNext();  // draws no missing row
        next = List2->ListIndex() != row ? List2->ListIndex() : -1;
    } else {
        for (int i = row + 1; next < 0; ++i) {
            if (i >= n) {
                if (!en->Checked())
                    break;
                i = 0;
            }
            if (i == row)
                break;
            if (!missingPassedOver(i))
                next = i;
        }
        if (next >= 0)
            List2->setListIndex(next);
    }
    if (next < 0) {
        // Nothing to play: whatever played stops, and the notice stays where the title was.
        st_Click();
        CurrentIndex = row;
        setWindowTitle(QStringLiteral("PellumPlayer >> ") + notice);
        Label4->setText(notice);
    }
    return true;
}

void Form1::Timer3_Timer()
{
    if (CirclePhase != 1) {
        Image6->setPixmap(circle1_);
        CirclePhase = 1;
    } else {
        Image6->setPixmap(circle_);
        CirclePhase = 0;
    }
}

void Form1::mp_EndOfStream(long)
{
    if (List1->List(CurrentIndex) == mp->FileName() && CurrentIndex >= 0 && CurrentIndex < List2->ListCount())
        List2->setList(CurrentIndex, QStringLiteral("#") + List2->List(CurrentIndex));
    ++CurrentIndex;
    RecordRecent(mp->FileName());
    Tfs();
    if (shu->Checked()) {
        ShuffleNext();
        return;
    }
    // Rows whose file is missing count as not there: the row that ended may still be the last one.
    while (CurrentIndex >= 0 && CurrentIndex < List2->ListCount() && missingPassedOver(CurrentIndex))
        ++CurrentIndex;
    if (CurrentIndex == List2->ListCount()) {
        if (en->Checked()) {
            REL();
            CurrentIndex = 0;
            if (List2->ListCount() > 0)
                List2->setListIndex(0);
            marquee();
        }
        return;
    }
    while (CurrentIndex < List2->ListCount() && passedOver(CurrentIndex))
        ++CurrentIndex;
    if (CurrentIndex >= 0 && CurrentIndex < List2->ListCount())
        List2->setListIndex(CurrentIndex);
}

void Form1::wait(double delay)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= delay * 1000.0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
