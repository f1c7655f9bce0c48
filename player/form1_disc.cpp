// The add-files dialog's door, VCD and DVD play, and the drive tray.
#include "player/form1.h"

#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"
#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "player/form2.h"
#include "player/loadk.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "player/tools/dabs.h"

#include <QFileInfo>

namespace {

// The track files of a video disc's folder, listed through the add-files dialog's file list, whose path
// is put back afterwards. A name is taken when the full path ends in `tail` (upper case, compared
// exactly) and it is not `skip`.
QStringList discTracks(const QString& root, const QString& folder, const QString& tail, const QString& skip)
{
    FileListBox* ff = Form2::instance().ff;
    const QString before = ff->Path();
    ff->setPath(root + folder);
    QStringList tracks;
    for (const QString& name : ff->items()) {
        const QString full = root + folder + QLatin1Char('/') + name;
        if (full.right(3) == tail && name != skip)
            tracks.append(full);
    }
    ff->setPath(before);
    return tracks;
}

void notice(const QString& text)
{
    loadk::ShowStatus(text, 1);
    loadk::instance().showModal();
}

}  // namespace

void Form1::connectDiscCommands()
{
    connect(ai, &MenuItem::Click, this, &Form1::ai_Click);
    connect(pv, &MenuItem::Click, this, &Form1::pv_Click);
    connect(pdvd, &MenuItem::Click, this, &Form1::pdvd_Click);
    connect(ej, &MenuItem::Click, this, &Form1::ej_Click);
    connect(cll, &MenuItem::Click, this, &Form1::cll_Click);
    // The flat button FB1, the skin button Image5(0), Image12 and Image2.
    ai_Command = [this] { ai_Click(); };
    pv_Command = [this] { pv_Click(); };
    pdvd_Command = [this] { Image2_Click(); };
}

void Form1::ai_Click() { Form2::ShowFor(1); }

void Form1::pv_Click()
{
    const QString root = Form2::FindDiscFolder(QStringLiteral("mpegav"));
    if (root.isEmpty()) {
        notice(GL(QStringLiteral("novcd"), QStringLiteral("Please check your VCD whether in cdrom")));
        return;
    }
    List1->Clear();
    List1->AddItems(discTracks(root, QStringLiteral("mpegav"), QStringLiteral("DAT"), QString()));
    Tfs();
    Form2::instance().ha();
    List2->Clear();
    REL();
    if (dd->Checked()) {
        const QString serial = Dabs::GetDabs(root);
        const QString titles = ProgramFolder::file(QStringLiteral("CDs/") + serial + QStringLiteral(".pellum"));
        QStringList lines;
        // Row i shows the title of track i; a track the file has no title for keeps its own row, and
        // titles beyond the last track are left out, so every row still plays its own track.
        if (serial != QLatin1String("0") && QFileInfo::exists(titles) &&
            PlayListFile::read(titles, PlayListFile::Rule::TitleList, &lines)) {
            const QStringList own = List2->items();
            QStringList rows;
            for (int i = 0; i < own.size(); ++i)
                rows.append(i < lines.size() ? lines.at(i) : own.at(i));
            List2->Clear();
            List2->AddItems(rows);
        }
    }
    List2->setListIndex(0);
    CurrentIndex = 0;
    marquee();
}

void Form1::Image2_Click()
{
    const QString root = Form2::FindDiscFolder(QStringLiteral("VIDEO_TS"));
    if (root.isEmpty()) {
        notice(GL(QStringLiteral("nodvd"), QStringLiteral("Please check your DVD whether in cdrom")));
        return;
    }
    List1->Clear();
    List1->AddItems(discTracks(root, QStringLiteral("VIDEO_TS"), QStringLiteral("VOB"), QStringLiteral("VIDEO_TS.VOB")));
    Tfs();
    Form2::instance().ha();
    List2->Clear();
    REL();
    List2->setListIndex(0);
    CurrentIndex = 0;
    marquee();
}

void Form1::pdvd_Click() { Image2_Click(); }

void Form1::ej_Click()
{
    // The first optical drive, disc or none; with no optical drive, the last letter probed.
    std::optional<Drives::Drive> drive;
    for (const Drives::Drive& d : Drives::table()) {
        if (d.type == Drives::CdRom) {
            drive = d;
            break;
        }
    }
    if (!drive)
        drive = Drives::find(QStringLiteral("Z:\\"));
    const QString root = drive ? drive->root : QString();
    if (!root.isEmpty() && mp->FileName().startsWith(root)) {
        mp->Stop();
        mp->setFileName(QString());
        List2->Clear();
        Picture2->show();
    }
    if (!drive || drive->type != Drives::CdRom) {
        // There is no tray to open: the user is told, rather than nothing happening.
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("nocdrom"), QStringLiteral("No optical drive was found to eject.")),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), this);
        return;
    }
    for (const char* s : {"open cdaudio alias songs", "set songs door open", "close songs"})
        CdAudio::mciSendString(QString::fromLatin1(s));
    mp->setFlagMember(23, false);
    Picture2->update();
}

void Form1::cll_Click()
{
    for (const char* s : {"open cdaudio alias songs", "set songs door closed", "close songs"})
        CdAudio::mciSendString(QString::fromLatin1(s));
}
