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

// The play step for a list file's row, once the row is gone: the file is imported, and the import plays
// row 0 when nothing plays, which brings a list file standing there back here. Within one click each list
// file is read once, as the add-files dialog reads it once per commit, so a list that names itself, or
// lists that name each other, cannot expand for ever: a list read already only loses its rows, and the
// row that then leads the list plays.
void Form1::importListRow(const QString& FN)
{
    if (listsRead_.contains(FN)) {
        // Such rows are taken together, so that a list naming itself on many lines is no deep recursion.
        while (List1->ListCount() > 0 && listsRead_.contains(List1->List(0))) {
            List1->RemoveItem(0);
            List2->RemoveItem(0);
        }
        if (List2->ListCount() > 0)
            List2->setListIndex(0);
        return;
    }
    const bool outermost = listsRead_.isEmpty();
    listsRead_.insert(FN);
    importj(FN, 1);
    if (outermost)
        listsRead_.clear();
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
        if (SHE::IsMissingFile(List1->List(CurrentIndex)))
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

bool Form1::passedOver(int row) const
{
    return List2->List(row).startsWith(QLatin1Char('#')) || SHE::IsMissingFile(List1->List(row));
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
