#include "player/compact/find.h"

#include "platform/dialogs.h"
#include "platform/drives/drives.h"
#include "player/compact/cs.h"
#include "player/compact/mediawalk.h"
#include "player/form1.h"
#include "player/loadk.h"
#include "player/she.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <bit>

namespace {

QString text(const char* key, const char* defaultValue)
{
    return SHE::LangText(QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

QString findFilesCaption() { return text("findfile", "Find File(s)"); }

}  // namespace

find::find()
{
    setObjectName(QStringLiteral("find"));
    setWindowFlags(Qt::Window);

    menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);
    mnuFindFiles = new MenuItem(QStringLiteral("mnuFindFiles"), QStringLiteral("Find File(s)..."), this);
    mnuFolderInfo = new MenuItem(QStringLiteral("mnuFolderInfo"), QStringLiteral("Folder &Info..."), this);
    ch = new MenuItem(QStringLiteral("ch"), QStringLiteral("Choice"), this);
    tl = new MenuItem(QStringLiteral("tl"), QStringLiteral("ToPlayList"), this);
    for (MenuItem* m : {mnuFindFiles, mnuFolderInfo, ch, tl})
        menuBar->addAction(m);
    connect(mnuFindFiles, &MenuItem::Click, this, &find::mnuFindFiles_Click);
    connect(mnuFolderInfo, &MenuItem::Click, this, &find::mnuFolderInfo_Click);
    connect(ch, &MenuItem::Click, this, &find::ch_Click);
    connect(tl, &MenuItem::Click, this, &find::tl_Click);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->installEventFilter(this);
    menuBar->installEventFilter(this);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->resize(Twips::toPx(6750), Twips::toPx(255));

    resize(Twips::toPx(6750), Twips::toPx(3570) + menuBar->sizeHint().height());

    // The window takes what the walk found at display rate.
    pump_ = new QTimer(this);
    pump_->setInterval(16);
    connect(pump_, &QTimer::timeout, this, &find::takeResults);
}

find::~find()
{
    if (current_)
        current_->stop();
}

void find::Form_Load()
{
    StatusHeight = Picture1->height();
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + int((g.width() - width()) * 0.5), g.top() + int((g.height() - height()) * 0.5));
    }
    setWindowTitle(text("mediascan", "MediaScan"));
    tl->setCaption(text("importlist", "ToPlayList"));
    mnuFindFiles->setCaption(findFilesCaption() + QStringLiteral("..."));
    ch->setCaption(text("choice", "Choice"));
    Form_Resize();
}

void find::Form_Unload(int& cancel)
{
    // A handler is still walking: the walk is stopped, and the window goes once it has ended.
    if (depth_ > 0) {
        StopSearch();
        unloadPending_ = true;
        hide();
        cancel = 1;
    }
}

void find::resizeEvent(QResizeEvent* e)
{
    VbForm::resizeEvent(e);
    Form_Resize();
}

void find::Form_Resize()
{
    const int top = menuBar->sizeHint().height();
    menuBar->setGeometry(0, 0, width(), top);
    List1->setGeometry(0, top, width(), qMax(0, height() - top - StatusHeight));
    Picture1->setGeometry(0, height() - StatusHeight, width(), StatusHeight);
}

void find::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && SearchActive) {
        StopSearch();
        return;
    }
    VbForm::keyPressEvent(e);
}

// The window sees key presses before its controls.
bool find::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        SearchActive) {
        StopSearch();
        return true;
    }
    return VbForm::eventFilter(watched, event);
}

void find::StopSearch()
{
    SearchActive = false;
    if (current_)
        current_->stop();
}

void find::ch_Click() { Cs::instance().showModal(); }

void find::tl_Click()
{
    Form1& f = Form1::instance();
    if (List1->ListCount() >= 1) {
        // Both lists are emptied, so every result gets its own row.
        f.List1->Clear();
        f.List2->Clear();
        f.List1->AddItems(List1->items());
    }
    f.REL();
}

void find::mnuFindFiles_Click()
{
    if (SearchActive) {
        StopSearch();
        return;
    }
    SearchPattern = Dialogs::InputBox(text("enterfile", "Enter a extension of file."), windowTitle(),
                                      QStringLiteral("*.mp3"), this);
    if (SearchPattern.isEmpty())
        return;
    beginSearch();
    List1->Clear();
    searchDrives(2);
}

void find::MySearch(const QVariant& pattern)
{
    loadk::ShowStatus(SHE::LangText(QStringLiteral("searchallmatch"),
                                    QStringLiteral("Searching All files match ") + pattern.toString()),
                      0);
    if (SearchActive) {
        StopSearch();
        return;
    }
    SearchPattern = pattern.toString();
    if (SearchPattern.isEmpty())
        return;
    beginSearch();
    searchDrives(3);
}

void find::beginSearch()
{
    setCursor(Qt::WaitCursor);
    SearchActive = true;
    FindMode = true;
    mnuFindFiles->setCaption(QStringLiteral("&Stop!"));
    mnuFolderInfo->setEnabled(false);
}

void find::searchDrives(int firstDrive)
{
    // The drives of the logical-drive mask from `firstDrive` up to the highest one present.
    const quint32 mask = Drives::GetLogicalDrives();
    QStringList roots;
    if (mask != 0) {
        const int last = int(std::bit_width(mask)) - 1;
        for (int i = firstDrive; i <= last; ++i) {
            if (!(mask & (1u << i)))
                continue;
            const QString root = Drives::folderOf(QString(QChar('A' + i)) + QStringLiteral(":\\"));
            if (!root.isEmpty())
                roots << root;
        }
    }
    QPointer<find> self(this);
    walk(roots, MediaWalk::ListMatches);
    if (!self)
        return;
    SearchActive = false;
    FindMode = false;
    mnuFindFiles->setCaption(findFilesCaption());
    mnuFolderInfo->setEnabled(true);
    unsetCursor();
    Picture1->setText(QStringLiteral("Find File(s): %1 items found matching \"%2\"")
                          .arg(List1->ListCount())
                          .arg(SearchPattern));
    QApplication::beep();
    endSearch();
}

void find::mnuFolderInfo_Click()
{
    if (SearchActive) {
        StopSearch();
        return;
    }
    QString path = Dialogs::InputBox(QStringLiteral("Enter a valid explicit path:"), QStringLiteral("Folder Info"),
                                     QStringLiteral("C:\\"), this);
    // A drive letter and its colon, or a folder of this system from its root.
    const bool letter = path.size() >= 2 && path[1] == QLatin1Char(':');
    const bool native = path.startsWith(QLatin1Char('/'));
    if (!letter && !native)
        return;
    if (!path.endsWith(QLatin1Char('\\')) && !path.endsWith(QLatin1Char('/')))
        path += native ? QLatin1Char('/') : QLatin1Char('\\');
    const QString folder = letter ? Drives::folderOf(path) : path;
    const QDir probe(folder);
    if (folder.isEmpty() || !probe.exists() || !probe.isReadable()) {
        Dialogs::MsgBox(path, Dialogs::OKOnly | Dialogs::Information, QStringLiteral("Path is invalid"), this);
        return;
    }
    setCursor(Qt::WaitCursor);
    SearchActive = true;
    mnuFolderInfo->setCaption(QStringLiteral("&Stop!"));
    mnuFindFiles->setEnabled(false);
    List1->Clear();
    FolderCount = 0;
    FileCount = 0;
    QPointer<find> self(this);
    walk({folder}, MediaWalk::CountEntries);
    if (!self)
        return;
    SearchActive = false;
    mnuFolderInfo->setCaption(QStringLiteral("&Folder Info..."));
    mnuFindFiles->setEnabled(true);
    Picture1->clear();
    unsetCursor();
    Dialogs::MsgBox(QStringLiteral("Total folders: \t%1\r\nTotal files: \t%2").arg(FolderCount).arg(FileCount),
                    Dialogs::OKOnly, QStringLiteral("Folder Info for: ") + path, this);
    endSearch();
}

void find::endSearch()
{
    if (unloadPending_ && depth_ == 0)
        release();
}

void find::walk(const QStringList& roots, int mode)
{
    // A walk started from inside another's handler: that one has been asked to stop. What it found
    // before it stopped is listed first, so that the rows stay in the order they were found.
    MediaWalk* outer = current_;
    if (outer) {
        outer->stop();
        outer->wait();
        takeResults();
    }
    MediaWalk w;
    current_ = &w;
    ++depth_;
    QEventLoop loop;
    connect(&w, &MediaWalk::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    w.start(roots, SearchPattern, MediaWalk::Mode(mode));
    pump_->start();
    QPointer<find> self(this);
    loop.exec();
    if (!self)
        return;  // released meanwhile (the program ends)
    takeResults();
    if (mode == MediaWalk::CountEntries) {
        FolderCount += w.folders();
        FileCount += w.files();
    }
    current_ = outer;
    if (--depth_ == 0)
        pump_->stop();
}

void find::takeResults()
{
    if (!current_)
        return;
    if (!SearchActive)
        current_->stop();
    const QStringList found = current_->takeMatches();
    if (!found.isEmpty()) {
        List1->AddItems(found);
        List1->scrollToBottom();
    }
    const QString folder = current_->folder();
    if (!folder.isEmpty())
        Picture1->setText(QStringLiteral("Searching ") + folder);
}
