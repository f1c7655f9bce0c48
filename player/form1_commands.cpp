// The main window's file commands: opening files, the list's right-click menu and tooltip, editing the
// list, importing a list, files dropped from the file manager, opening an address and the fade-out.
#include "player/form1.h"

#include "platform/desktop/shell.h"
#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/media/realaudio.h"
#include "platform/textfile.h"
#include "player/rmf.h"
#include "player/she.h"
#include "ui/twips.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QUrl>

#include <cmath>

namespace {

const QString kOpenFilter = QStringLiteral(
    "Media Files|*.vob;*.rm;*.swf;*.wav;*.mpeg;*.mpg;*.mp3;*.avi;*.ivf;*.aif;*.aifc;*.aiff;*.asf;*.asx;*.wax;"
    "*.wma;*.wmv;*.wvx;*.wmp;*.wmx;*.wmz;*.wms;*.mpe;*.midi;*.rmi;*.mid;*.m1v;*.mp2;*.mpa;*.mpv2;*.au;*.snd;"
    "*.dat;*.pellum|Images|*.jpg;*.bmp;*.gif|All Files|*.*");

const QString kImportFilter = QStringLiteral("PellumPlayer List(*.pellum;*.m3u;*.pls)|*.pellum;*.m3u;*.pls");

// The file names of a drop, tested by the first file's extension.
bool acceptedExtension(const QString& path)
{
    static const QStringList accepted{
        "vob", "rm",  "au",  "swf", "wav", "mpeg", "mpg", "mp3", "avi",  "ivf", "aif", "aifc",
        "aiff", "asf", "asx", "wax", "wma", "wmv", "wvx", "wmp", "wmx",  "wmz", "wms", "mpe",
        "midi", "rmi", "mid", "m1v", "mp2", "mpa", "mpv2", "snd", "dat", "pellum", "m3u", "pls"};
    const QString name = SHE::FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    return accepted.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

// The local files of a drop in the desktop's file-list format, in their order.
QStringList droppedFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            continue;
        // A name in other bytes than UTF-8 comes percent-encoded: it is listed by its text and plays by
        // those bytes.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        files << (url.host().isEmpty() ? TextFile::pathText(bytes) : url.toLocalFile());
    }
    return files;
}

bool dropAcceptable(const QMimeData* data)
{
    const QStringList files = droppedFiles(data);
    return !files.isEmpty() && acceptedExtension(files.first());
}

// A list box point in twips, as the list's pixels.
QPoint listPixels(double x, double y) { return QPoint(Twips::toPx(x), Twips::toPx(y)); }

}  // namespace

void Form1::connectCommands()
{
    // The first recent-file and bookmark elements exist from the start; the others come and go.
    f[0] = new MenuItem(QStringLiteral("f0"), QString(), this);
    rff->addAction(f[0]);
    connect(f[0], &MenuItem::Click, this, [this] { f_Click(0); });
    b[0] = new MenuItem(QStringLiteral("b0"), QString(), this);
    bk->addAction(b[0]);
    connect(b[0], &MenuItem::Click, this, [this] { b_Click(0); });

    connect(openfile, &MenuItem::Click, this, &Form1::openfile_Click);
    connect(OpU, &MenuItem::Click, this, &Form1::OpU_Click);
    connect(ci, &MenuItem::Click, this, &Form1::ci_Click);
    connect(il, &MenuItem::Click, this, &Form1::il_Click);
    connect(lllll, &MenuItem::Click, this, &Form1::lllll_Click);
    connect(adr, &MenuItem::Click, this, &Form1::adr_Click);
    connect(cr, &MenuItem::Click, this, &Form1::cr_Click);
    connect(AddB, &MenuItem::Click, this, &Form1::AddB_Click);
    connect(EBm, &MenuItem::Click, this, &Form1::EBm_Click);
    connect(ms, &MenuItem::Click, this, &Form1::ms_Click);
    connect(ca, &MenuItem::Click, this, &Form1::ca_Click);
    connect(fss, &MenuItem::Click, this, &Form1::fss_Click);
    connect(fo, &MenuItem::Click, this, &Form1::fss_Click);
    connect(cl, &MenuItem::Click, this, &Form1::cl_Click);
    connect(in, &MenuItem::Click, this, &Form1::in_Click);
    connect(loc, &MenuItem::Click, this, &Form1::loc_Click);
    connect(List2, &ListBox::MouseDown, this, &Form1::List2_MouseDown);
    connect(List2, &ListBox::MouseMove, this, &Form1::List2_MouseMove);
    List2->viewport()->setMouseTracking(true);  // the tooltip follows the pointer with no button held
    setAcceptDrops(true);
}

// --- opening files ---

void Form1::openfile_Click()
{
    int first = List2->ListCount();
    const QString name = Dialogs::ShowOpen(kOpenFilter, Dialogs::Explorer | Dialogs::AllowMultiSelect, this);
    if (name.isEmpty())
        return;
    if (ccc->Checked()) {
        List1->Clear();
        first = 0;
    }
    const QStringList parts = name.split(QChar(0));
    if (parts.size() > 1) {
        const QString& folder = parts.first();
        const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (!parts.at(i).isEmpty())
                List1->AddItem(prefix + parts.at(i));
        REL();
        List2->setListIndex(first);
    } else {
        List1->AddItem(name);
        REL();
        List2->setListIndex(List2->ListCount() - 1);
    }
}

// --- the list's mouse actions ---

void Form1::List2_MouseDown(int button, int shift, double x, double y)
{
    (void)shift;
    if (button != 2)
        return;
    const QPoint px = listPixels(x, y);
    bool outside = true;
    const int row = List2->itemFromPoint(px, &outside);
    if (outside || row < 0)
        return;
    markedIndex = row;
    const QString rowText = QStringLiteral("- ") + List2->List(markedIndex);
    fss->setCaption(GL(QStringLiteral("fadeouttostop"), QStringLiteral("Fadeout To Stop")));
    py->setCaption(GL(QStringLiteral("play"), QStringLiteral("Play")) + rowText);
    cl->setCaption(GL(QStringLiteral("remove"), QStringLiteral("Remove")) + rowText);
    in->setCaption(GL(QStringLiteral("insert"), QStringLiteral("Insert")) + rowText);
    tt->popup(List2->viewport()->mapToGlobal(px));
}

void Form1::List2_MouseMove(int button, int shift, double x, double y)
{
    (void)button;
    (void)shift;
    bool outside = true;
    const int row = List2->itemFromPoint(listPixels(x, y), &outside);
    if (outside) {
        List2->setToolTipText(QString());
        return;
    }
    const QString path = List1->List(row);
    // By the name's own bytes, as the row plays.
    const qint64 size = path.isEmpty() ? -1 : TextFile::fileSize(path);
    if (size < 0)
        return;  // nothing to measure: the tooltip stays as it was
    List2->setToolTipText(SHE::FileNameOf(path) + QStringLiteral(" Size:") + megabytes(size) +
                          QStringLiteral(" MB"));
}

QString Form1::megabytes(qint64 bytes)
{
    const qint64 cents = qint64(std::llround(double(bytes) / 1048576.0 * 100.0));
    const qint64 whole = cents / 100;
    QString digits = whole > 0 ? QString::number(whole) : QString();
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits + QLatin1Char('.') + QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
}

// --- editing the list ---

void Form1::ci_Click()
{
    List1->Clear();
    List2->Clear();
    CurrentIndex = -1;
    // The rows that made the list wide are gone: so is its horizontal extent.
    List2->setHorizontalExtent(0);
    List2->horizontalScrollBar()->setValue(0);
}

void Form1::cl_Click()
{
    if (markedIndex < 0 || markedIndex >= List1->ListCount() || markedIndex >= List2->ListCount())
        return;
    List1->RemoveItem(markedIndex);
    List2->RemoveItem(markedIndex);
    CurrentIndex = markedIndex - 1;
}

void Form1::in_Click()
{
    if (markedIndex == List2->ListIndex())
        return;
    if (markedIndex < 0 || markedIndex >= List1->ListCount() || markedIndex >= List2->ListCount())
        return;
    const QString path = List1->List(markedIndex);
    const QString row = List2->List(markedIndex);
    List1->RemoveItem(markedIndex);
    List2->RemoveItem(markedIndex);
    // The selection follows its row through the removal, so this is just after the playing row.
    const int at = List2->ListIndex() + 1;
    List1->AddItem(path, at);
    List2->AddItem(row, at);
    CurrentIndex = List2->ListIndex();
}

void Form1::loc_Click()
{
    const QString path = List1->List(markedIndex);
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0)
        return;
    QString folder = path.left(cut);
    if (folder.isEmpty())
        folder = QStringLiteral("/");  // a file at the root
    QString why;
    if (!Shell::openFileManager(folder, &why))
        Dialogs::MsgBox(why, Dialogs::OKOnly, QStringLiteral("PellumPlayer"), this);
}

void Form1::il_Click()
{
    const QString name = Dialogs::ShowOpen(kImportFilter, 0, this);
    if (!name.isEmpty())
        importj(name, 0);
}

// --- files dropped from the file manager ---

bool Form1::overDropTarget(const QPoint& pos) const
{
    for (QWidget* target : {static_cast<QWidget*>(Picture2), static_cast<QWidget*>(mp), static_cast<QWidget*>(List2)}) {
        if (!target || !target->isVisibleTo(this))
            continue;
        const QRect area(target->mapTo(this, QPoint(0, 0)), target->size());
        if (area.contains(pos))
            return true;
    }
    return false;
}

// A drag of files is taken in wherever it enters the window, so that one coming across the window's
// edge reaches the video and the list; where it may be dropped is told on every move and on the drop.
void Form1::dragEnterEvent(QDragEnterEvent* e)
{
    if (dropAcceptable(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void Form1::dragMoveEvent(QDragMoveEvent* e)
{
    if (overDropTarget(e->position().toPoint()) && dropAcceptable(e->mimeData()) &&
        (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void Form1::dropEvent(QDropEvent* e)
{
    if (!overDropTarget(e->position().toPoint()) || !dropAcceptable(e->mimeData()) ||
        !(e->possibleActions() & Qt::CopyAction)) {
        e->ignore();
        return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    for (const QString& file : droppedFiles(e->mimeData())) {
        List1->AddItem(file);
        REL();
    }
    List2->setListIndex(List1->ListCount() - 1);
}

// --- an address, and the fade-out ---

void Form1::OpU_Click()
{
    const QString address = Dialogs::InputBox(GL(QStringLiteral("enterurl"), QStringLiteral("Please enter a URL for play")),
                                              QStringLiteral("PellumPlayer"), QString(), this);
    if (address.isEmpty())
        return;
    if (address.endsWith(QStringLiteral("rm"), Qt::CaseSensitive)) {
        RmF& rmf = RmF::instance();
        rmf.show();
        rmf.RA2->setSource(address);
        rmf.RA2->DoPlay();
        return;
    }
    // The address takes the media player's road, as a row of the list does: whatever the RealMedia window
    // or the Flash control held makes way, and the title and the now-playing line name the address.
    if (RmF::isLoaded()) {
        RmF& rmf = RmF::instance();
        rmf.setWindowFlag(Qt::WindowStaysOnTopHint, false);
        rmf.hide();
    }
    playInMp(address);
}

void Form1::fss_Click()
{
    if (Fading || mp->PlayState() != 2)
        return;
    Fading = true;
    // The fade belongs to the clip playing now, not to its name: once that clip is stopped or replaced
    // (also by the same file played again) the fade is over, and it marks and skips nothing.
    const quint64 clip = mp->clipSerial();
    QPointer<Form1> self(this);
    for (int step = 0; step < 12; ++step) {
        wait(0.5);
        if (!self)
            return;  // the window went away during the fade
        if (mp->clipSerial() != clip || mp->PlayState() == 0) {
            // The item ended on its own (the advance has run) or was stopped: nothing left to fade.
            mp->setVolume(-1);
            Fading = false;
            return;
        }
        mp->setVolume(mp->Volume() - 100);
        if (mp->Volume() == 0)
            break;
    }
    mp->Stop();
    mp->setVolume(-1);
    Fading = false;
    mp_EndOfStream(0);
}
