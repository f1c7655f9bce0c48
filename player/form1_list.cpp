// The play list model: List1 holds the paths, List2 the numbered rows.
#include "player/form1.h"

#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/textfile.h"
#include "player/form2.h"
#include "player/playlistfile.h"
#include "player/she.h"

#include <QCoreApplication>
#include <QRandomGenerator>

namespace {

QString rowText(int index, const QString& path)
{
    return QString::number(index + 1).rightJustified(2, QLatin1Char('0')) + QStringLiteral("- ") +
           SHE::FileNameOf(path);
}

}  // namespace

void Form1::REL()
{
    if (ccc->Checked())
        List2->Clear();
    const QStringList& paths = List1->items();
    if (paths.isEmpty())
        return;
    // An empty List2 is a full rebuild (played marks go); otherwise only the missing rows are added.
    const int first = List2->ListCount();
    QStringList rows;
    rows.reserve(qMax<qsizetype>(0, paths.size() - first));
    for (int i = first; i < paths.size(); ++i)
        rows.append(rowText(i, paths.at(i)));
    List2->AddItems(rows);
    ShufflePool = paths.mid(0, List2->ListCount());
    while (ShufflePool.size() < List2->ListCount())
        ShufflePool.append(QString());
}

void Form1::importj(const QString& FN, int ck)
{
    QStringList paths;
    // A list that cannot be read changes nothing: the current list is only cleared for one that can.
    if (!PlayListFile::read(FN, PlayListFile::Rule::Import, &paths))
        return;
    if (ck != 1 && ccc->Checked())
        List1->Clear();
    List1->AddItems(paths);
    CurrentIndex = ccc->Checked() ? -1 : 0;
    if (CurrentIndex == 0)
        CurrentIndex = List2->ListIndex();
    REL();
    Form2::instance().ha();
    if (mp->PlayState() != 2) {
        CurrentIndex = 0;
        Tfs();
        List2->setListIndex(0);
        marquee();
    }
}

// The play step for a row that names a list file. The row gives way to the file's rows, appended at the
// end of the list, read by the import rule once a run (PlayListFile::readListRow: a list read before adds
// nothing, and the rows of a list that name a list read in this run are left out). A list that cannot be
// read keeps its row. When nothing plays, the advance then goes on from the row's place as its skip over
// played rows does: the first row there that has not played, so that a list read before, or one that
// added nothing, starts nothing of its own and no clip above it plays again for it; past the end nothing
// plays, also with RepeatAll. A list row met on the way takes this road here, in the same loop, so lists
// of lists of any depth are no deep recursion.
void Form1::playListRow(int row)
{
    const bool idle = mp->PlayState() != 2;
    bool changed = false;
    int i = row;
    for (;;) {
        QStringList paths;
        if (PlayListFile::readListRow(List1->List(i), PlayListFile::Rule::Import, &paths) ==
            PlayListFile::RowRead::Unreadable) {
            ++i;
        } else {
            List1->RemoveItem(i);
            List2->RemoveItem(i);
            changed = true;
            if (!paths.isEmpty()) {
                List1->AddItems(paths);
                REL();
            }
        }
        if (!idle)
            break;
        while (i < List2->ListCount() && passedOver(i))
            ++i;
        if (i >= List2->ListCount() || RouteOf(List1->List(i)) != Route::List)
            break;
    }
    if (changed) {
        // Once for the whole run of rows: the shuffle pool takes the rows as they now stand.
        REL();
        Form2::instance().ha();
    }
    if (!idle) {
        CurrentIndex = ccc->Checked() ? -1 : List2->ListIndex();
        return;
    }
    CurrentIndex = i;
    if (i < List2->ListCount()) {
        Tfs();
        List2->setListIndex(i);
        marquee();
    }
}

qint64 Form1::CF(const QString& FN)
{
    // By the name's own bytes: a path read from a list in the old code page names its file in those.
    return qMax<qint64>(0, TextFile::fileSize(FN));
}

void Form1::ShuffleNext()
{
    const int n = List2->ListCount();
    if (n == 0)
        return;
    auto drawable = [this, n] {
        for (int i = 0; i < qMin<qsizetype>(n, ShufflePool.size()); ++i)
            if (!ShufflePool.at(i).isEmpty())
                return true;
        return false;
    };
    // With RepeatAll an emptied pool is refilled for a new round, at most once in one call; with nothing
    // left to draw the draw gives up at once rather than draw for ever.
    bool refilled = false;
    bool allPassedOver = false;  // the skip went round the whole list
    for (;;) {
        if (!drawable() && en->Checked() && !refilled) {
            REL();
            refilled = true;
        }
        if (!drawable())
            return;
        do {
            CurrentIndex = int(QRandomGenerator::global()->bounded(n));
            QCoreApplication::processEvents();
            if (List2->ListCount() != n)
                return;  // the list changed under the draw
        } while (CurrentIndex >= ShufflePool.size() || ShufflePool.at(CurrentIndex).isEmpty());
        ShufflePool[CurrentIndex].clear();
        if (missingPassedOver(CurrentIndex))
            continue;  // a row whose file is missing is passed over: draw again
        if (en->Checked()) {
            // The skip over rows that have played goes round the list. Once every row has played, the
            // marks hold nothing back: a new round has begun and the drawn row plays, so each row plays
            // once a round. The row that plays leaves the pool, wherever the skip found it.
            const int drawn = CurrentIndex;
            while (!allPassedOver && passedOver(CurrentIndex))
                if ((CurrentIndex = (CurrentIndex + 1) % n) == drawn)
                    allPassedOver = true;
            ShufflePool[CurrentIndex].clear();
        } else {
            while (passedOver(CurrentIndex)) {
                ++CurrentIndex;
                if (CurrentIndex >= n)
                    return;
            }
        }
        List2->setListIndex(CurrentIndex);
        return;
    }
}

bool Form1::passedOver(int row)
{
    return List2->List(row).startsWith(QLatin1Char('#')) || missingPassedOver(row);
}

namespace {
constexpr qint64 kPassedOverShownMs = 8000;  // how long the status text names files passed over
}

bool Form1::missingPassedOver(int row)
{
    const QString path = List1->List(row);
    if (!SHE::IsMissingFile(path))
        return false;
    // Files passed over in one stretch are named together, each once.
    if (!passedOverClock_.isValid() || passedOverClock_.elapsed() > kPassedOverShownMs)
        passedOverFiles_.clear();
    if (!passedOverFiles_.contains(path))
        passedOverFiles_.append(path);
    passedOverClock_.start();
    Label5->setText(passedOverText());
    return true;
}

QString Form1::passedOverText() const
{
    if (passedOverFiles_.isEmpty() || !passedOverClock_.isValid() || passedOverClock_.elapsed() > kPassedOverShownMs)
        return QString();
    return SHE::LangText(QStringLiteral("passedover"), QStringLiteral("File not found, passed over:")) +
           QStringLiteral("\r\n") + passedOverFiles_.join(QStringLiteral("\r\n"));
}

void Form1::ol_Click() { saveListAs(); }

bool Form1::saveListAs()
{
    const QString name = Dialogs::ShowSave(QStringLiteral("PellumPlayer List(*.pellum)|*.pellum"),
                                           Dialogs::OverwritePrompt, this);
    if (name.isEmpty() || List1->ListCount() == 0)
        return false;
    QStringList leftOut;
    if (!PlayListFile::write(name, List1->items(), &leftOut)) {
        Dialogs::MsgBox(QStringLiteral("Could not write the list to ") + name, Dialogs::OKOnly,
                        QStringLiteral("PellumPlayer"), this);
        return false;
    }
    PlayListFile::tellLeftOut(name, leftOut, this);
    return true;
}
