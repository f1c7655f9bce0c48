#include "player/form2.h"

#include "platform/desktop/shell.h"
#include "platform/dialogs.h"
#include "platform/drives/drives.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "player/compact/form5.h"
#include "player/compact/form6.h"
#include "player/form1.h"
#include "player/loadk.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "ui/design.h"
#include "ui/fittedtext.h"
#include "ui/twips.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QSet>

const QString Form2::MediaPattern = QStringLiteral(
    "*.vob;*.rm;*.swf;*.wav;*.mpeg;*.mpg;*.mp3;*.avi;*.ivf;*.aif;*.aifc;*.aiff;*.asf;*.asx;*.wax;*.wma;*.wmv;"
    "*.wvx;*.wmp;*.wmx;*.wmz;*.wms;*.mpe;*.midi;*.rmi;*.mid;*.m1v;*.mp2;*.mpa;*.mpv2;*.au;*.snd;*.dat;*.pellum;"
    "*.m3u;*.pls");

namespace {

QString lnks() { return ProgramFolder::file(QStringLiteral("LNKs")); }

// Whether a picked path is a list file to expand: its last letters, case ignored, with no dot needed.
bool isPickedList(const QString& path) { return PlayListFile::isListFile(path, true); }

// Expands the list files among `list`'s rows, as the commit does: the walk covers the rows there were
// when it began (n is not taken again); a list file's row is removed and its lines by the import rule are
// appended at the end. `rows`, when given, is the display list kept in step with `list`: a removed path
// that already has a display row loses that row too. A list file that came out of another list file is
// read once per commit, so a list that names itself cannot make the walk go on for ever. Returns false
// when a list file cannot be read; the walk ends there.
bool expandListFiles(ListBox* list, ListBox* rows)
{
    const int n = list->ListCount();
    QList<bool> fromList(n, false);
    QSet<QString> expanded;
    for (int i = 0; i <= n - 1; ++i) {
        const QString path = list->List(i);
        if (i >= list->ListCount() || !isPickedList(path))
            continue;
        const bool again = fromList.value(i) && expanded.contains(path);
        list->RemoveItem(i);
        fromList.removeAt(i);
        if (rows && i < rows->ListCount())
            rows->RemoveItem(i);
        --i;
        if (again)
            continue;
        expanded.insert(path);
        QStringList lines;
        if (!PlayListFile::read(path, PlayListFile::Rule::Import, &lines))
            return false;
        list->AddItems(lines);
        for (int k = 0; k < lines.size(); ++k)
            fromList.append(true);
    }
    return true;
}

// The folder last browsed to in this run: the dialog opens there again.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

// The ClearList caption's designed width in twips.
constexpr int Label2Width = 900;

// A name that can stand as a file in LNKs: no separator, not "." or "..", no NUL.
bool validShortcutName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

}  // namespace

Form2::Form2()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowFlags(Qt::Dialog);
    setFixedSize(Twips::toPx(9600), Twips::toPx(6720));

    Label1 = new FittedLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    dr = new DriveListBox(this);
    dr->setObjectName(QStringLiteral("dr"));
    di = new DirListBox(this);
    di->setObjectName(QStringLiteral("di"));
    ff = new FileListBox(this);
    ff->setObjectName(QStringLiteral("ff"));
    ff->setMultiSelect(true);
    PL = new ListBox(this);
    PL->setObjectName(QStringLiteral("PL"));
    command8 = new FittedButton(this);
    command8->setObjectName(QStringLiteral("command8"));
    Command9 = new FittedButton(this);
    Command9->setObjectName(QStringLiteral("Command9"));
    Command7 = new FittedButton(this);
    Command7->setObjectName(QStringLiteral("Command7"));
    LK = new FileListBox(this);
    LK->setObjectName(QStringLiteral("LK"));
    // A shortcut is named by the user, and one whose name begins with "." is theirs all the same.
    LK->setShowHidden(true);
    LS = new ListBox(this);
    LS->setObjectName(QStringLiteral("LS"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    option1 = new QCheckBox(this);
    option1->setObjectName(QStringLiteral("option1"));

    Twips::place(Label1, QRect(120, 60, 9300, 255));
    Twips::place(dr, QRect(120, 360, 3000, 315));
    Twips::place(di, QRect(120, 735, 3000, 2385));
    Twips::place(ff, QRect(3240, 360, 3000, 2760));
    Twips::place(command8, QRect(6360, 360, 1400, 375));
    Twips::place(Command9, QRect(6360, 795, 1400, 375));
    Twips::place(Command7, QRect(6360, 1230, 1400, 375));
    Twips::place(PL, QRect(120, 3240, 7640, 1500));
    Twips::place(LK, QRect(120, 4860, 2400, 1300));
    Twips::place(LS, QRect(2640, 4860, 3120, 1300));
    Twips::place(Label2, QRect(120, 6330, Label2Width, 255));

    connect(dr, &DriveListBox::Change, this, &Form2::dr_Change);
    connect(di, &DirListBox::Change, this, &Form2::di_Change);
    connect(ff, &FileListBox::PathChange, this, &Form2::ff_PathChange);
    connect(ff, &ListBox::Click, this, &Form2::ff_Click);
    connect(command8, &QPushButton::clicked, this, &Form2::command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
    connect(Command7, &QPushButton::clicked, this, &Form2::Command7_Click);
    connect(PL, &ListBox::Click, this, &Form2::PL_Click);
    connect(option1, &QCheckBox::clicked, this, &Form2::option1_Click);
    connect(LK, &ListBox::Click, this, &Form2::LK_Click);
    connect(LK, &ListBox::KeyDown, this, &Form2::LK_KeyDown);
    connect(LS, &ListBox::Click, this, &Form2::LS_Click);

    // OK, Cancel, the shortcut buttons and the finders are flat buttons of the stored design.
    const Design::Loaded design = Design::Load(QStringLiteral(":/designs/form2.json"), this);
    designProblems = design.messages;
    for (const QString& m : designProblems)
        qWarning("PellumPlayer: %s", qPrintable(m));
    Command1 = Design::Bind(design, QStringLiteral("Command1"), this, SLOT(Command1_Click()));
    Command2 = Design::Bind(design, QStringLiteral("Command2"), this, SLOT(Command2_Click()));
    Command3 = Design::Bind(design, QStringLiteral("Command3"), this, SLOT(Command3_Click()));
    Command4 = Design::Bind(design, QStringLiteral("Command4"), this, SLOT(Command4_Click()));
    Command5 = Design::Bind(design, QStringLiteral("Command5"), this, SLOT(Command5_Click()));
    Command6 = Design::Bind(design, QStringLiteral("Command6"), this, SLOT(Command6_Click()));

    // The browser starts where the user last browsed to in this run, else at the first drive's root.
    dr->Refresh();
    if (!lastFolder().isEmpty() && Drives::FolderExists(lastFolder())) {
        di->setPath(lastFolder());  // its Change shows the folder's drive
        return;
    }
    for (const Drives::Drive& d : Drives::table()) {
        if (!d.root.isEmpty()) {
            dr->setDrive(QString(d.letter));
            di->setPath(d.root);
            break;
        }
    }
}

void Form2::showDriveOf(const QString& folder)
{
    // No drive holds the folder: the drive list shows none rather than another drive's folder.
    const QSignalBlocker block(dr);
    if (const std::optional<Drives::Drive> d = Drives::containing(folder))
        dr->setDrive(QString(d->letter));
    else
        dr->setCurrentIndex(-1);
}

void Form2::Form_Load()
{
    if (Form1::isLoaded())
        setWindowIcon(Form1::instance().windowIcon());
    language();
    // The title keeps the caption until the folder first changes.
    const QString folder = ff->Path();
    if (!folder.isEmpty())
        folderPrefix_ = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    ff->setPattern(MediaPattern);
    QDir().mkpath(lnks());
    LK->setPath(lnks());
    RefreshShortcutList();
    option1->setChecked(Form1::instance().ccc->Checked());
}

void Form2::language()
{
    auto caption = [](QWidget* button, const QString& text) {
        if (button)
            button->setProperty("Caption", text);
    };
    setWindowTitle(SHE::LangText(QStringLiteral("form2caption"), QStringLiteral("Choice a directory that you store media files")));
    Label1->setText(SHE::LangText(QStringLiteral("form2label1"),
                                  QStringLiteral("Selected items will add,no any selected items will add all.")));
    caption(Command1, SHE::LangText(QStringLiteral("ok"), QStringLiteral("OK")));
    caption(Command2, SHE::LangText(QStringLiteral("cancel"), QStringLiteral("Cancel")));
    caption(Command3, SHE::LangText(QStringLiteral("createshortcut"), QStringLiteral("Create Shortcut")));
    caption(Command4, SHE::LangText(QStringLiteral("deleteshortcut"), QStringLiteral("Delete Shortcut")));
    // The finders' captions are fixed.
    caption(Command5, QStringLiteral("DVD"));
    caption(Command6, QStringLiteral("VCD"));
    command8->setText(SHE::LangText(QStringLiteral("add"), QStringLiteral("Add")));
    Command9->setText(SHE::LangText(QStringLiteral("clear"), QStringLiteral("Clear")));
    Command7->setText(SHE::LangText(QStringLiteral("openfolder"), QStringLiteral("Open Folder")));
    Label2->setText(SHE::LangText(QStringLiteral("clearlist"), QStringLiteral("Clearlist")));
    // The check box stands 70 twips right of its caption, which is as wide as its text and never
    // narrower than it was designed: a shorter text after a longer one brings the box back.
    const QRect l = Twips::of(Label2);
    const int width = qMax(Label2Width, Twips::fromPx(Label2->fontMetrics().horizontalAdvance(Label2->text()) + 2));
    Twips::place(Label2, QRect(l.x(), l.y(), width, l.height()));
    Twips::place(option1, QRect(l.x() + width + 70, l.y() - 30, 300, 315));
}

// --- extents ---

int Form2::SetExtent(ListBox* list, const QFontMetrics& metrics, int margin)
{
    // Measuring every row of a long list takes most of a second; the widest row is among the rows with
    // the most characters, so only those are measured.
    const QStringList& rows = list->items();
    constexpr qsizetype kMeasured = 256;
    std::vector<qsizetype> order(size_t(rows.size()));
    std::iota(order.begin(), order.end(), 0);
    if (rows.size() > kMeasured)
        std::nth_element(order.begin(), order.begin() + kMeasured, order.end(),
                         [&rows](qsizetype a, qsizetype b) { return rows.at(a).size() > rows.at(b).size(); });
    int widest = 0;
    for (qsizetype i = 0; i < qMin(kMeasured, rows.size()); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(rows.at(order[size_t(i)])));
    const int extent = widest + margin;
    list->setHorizontalExtent(extent);
    return extent;
}

int Form2::Extent(const ListBox* list) { return list->HorizontalExtent(); }

void Form2::ha()
{
    Form1& f = Form1::instance();
    SetExtent(f.List2, f.List2->fontMetrics(), 30);
}

// --- browsing ---

void Form2::dr_Change()
{
    // No disc or not ready: the browser stays where it was, and so does the drive shown.
    dr->openIn(di);
}

void Form2::di_Change()
{
    ff->setPath(di->Path());
    lastFolder() = di->Path();
    showDriveOf(di->Path());
}

void Form2::ff_PathChange()
{
    const QString folder = ff->Path();
    if (folder.isEmpty())
        return;
    setWindowTitle(folder);
    folderPrefix_ = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool Form2::event(QEvent* e)
{
    // Coming back to the dialog shows the folder as it is now.
    if (e->type() == QEvent::WindowActivate && !ff->Path().isEmpty())
        rereadFf();
    return VbForm::event(e);
}

void Form2::rereadFf()
{
    QSet<QString> chosen;
    for (int i = 0; i < ff->ListCount(); ++i)
        if (ff->Selected(i))
            chosen.insert(ff->List(i));
    ff->Refresh();
    for (int i = 0; i < ff->ListCount(); ++i)
        if (chosen.contains(ff->List(i)))
            ff->setSelected(i, true);
}

// --- pick list ---

void Form2::ff_Click()
{
    const QString name = ff->FileName();
    if (name.isEmpty())
        return;
    PL->AddItem(folderPrefix_ + name);
    SetExtent(PL, PL->fontMetrics(), 500);
}

QStringList Form2::filesOfFf() const
{
    QStringList selected, all;
    for (int i = 0; i < ff->ListCount(); ++i) {
        all.append(folderPrefix_ + ff->List(i));
        if (ff->Selected(i))
            selected.append(all.last());
    }
    return selected.isEmpty() ? all : selected;
}

QStringList Form2::picked() const { return PL->ListCount() > 0 ? PL->items() : filesOfFf(); }

void Form2::command8_Click()
{
    PL->AddItems(filesOfFf());
    SetExtent(PL, PL->fontMetrics(), 500);
}

void Form2::Command9_Click() { PL->Clear(); }

void Form2::PL_Click() { PL->RemoveItem(PL->ListIndex()); }

void Form2::Command7_Click() { openFolder(ff->Path()); }

void Form2::openFolder(const QString& folder)
{
    if (!folder.isEmpty())
        Shell::openFileManager(folder);
}

void Form2::option1_Click()
{
    Form1& f = Form1::instance();
    f.ccc->setChecked(option1->isChecked());
    SettingsStore::SaveFlag(QStringLiteral("clearlist"), f.ccc->Checked());
}

// --- commit ---

void Form2::Command1_Click()
{
    if (AddTarget == 1)
        AddToPlayList();
    else
        AddToListWindow();
}

void Form2::Command2_Click() { Unload(); }

void Form2::AddToPlayList()
{
    Form1& f = Form1::instance();
    const bool clear = f.ccc->Checked();
    f.List2->hide();
    if (clear)
        f.List1->Clear();
    f.List1->AddItems(picked());
    Unload();
    // With ClearList the rows are rebuilt whole below; otherwise the display rows follow every removal.
    if (!expandListFiles(f.List1, clear ? nullptr : f.List2)) {
        // A list file that cannot be read ends the commit, but the rows still match the paths and the
        // list is shown again.
        f.REL();
        Form2::instance().ha();
        f.List2->show();
        return;
    }
    f.CurrentIndex = clear ? -1 : f.List2->ListIndex();
    f.REL();
    Form2::instance().ha();
    if (f.mp->PlayState() != 2) {
        f.CurrentIndex = 0;
        f.Tfs();
        f.List2->setListIndex(0);
        f.marquee();
    }
    f.List2->show();
}

void Form2::AddToListWindow()
{
    Form6& window = Form6::instance();
    ListBox* list = window.List1;
    const bool clear = Form1::instance().ccc->Checked();
    if (clear)
        list->Clear();
    list->AddItems(picked());
    Unload();
    if (!expandListFiles(list, nullptr))
        return;
    window.CurrentIndex = clear ? -1 : list->ListIndex();
    if (Form5::instance().mk->PlayState() != 2) {
        window.CurrentIndex = 0;
        if (list->ListCount() > 0)
            list->setListIndex(0);
    }
}

void Form2::ShowFor(qint16 target)
{
    Form2& d = instance();
    d.AddTarget = target;
    d.di->Refresh();
    d.dr->Refresh();
    d.showDriveOf(d.di->Path());
    d.ff->Refresh();
    d.showModal();
}

// --- disc finders ---

QString Form2::FindDiscFolder(const QString& folder)
{
    for (const Drives::Drive& d : Drives::table())
        if (d.type == Drives::CdRom && !d.root.isEmpty() && Drives::FolderExists(d.root + folder))
            return d.root;
    return QString();
}

void Form2::finder(const QString& folder, const QString& key, const QString& text)
{
    const QString root = FindDiscFolder(folder);
    if (root.isEmpty()) {
        loadk::ShowStatus(SHE::LangText(key, text), 1);
        loadk::instance().showModal();
        return;
    }
    if (const std::optional<Drives::Drive> d = Drives::find(root)) {
        const QSignalBlocker block(dr);
        dr->setDrive(QString(d->letter));
    }
    di->setPath(root + folder);
}

void Form2::Command5_Click()
{
    finder(QStringLiteral("VIDEO_TS"), QStringLiteral("nodvd"), QStringLiteral("Please check your DVD whether in cdrom"));
}

void Form2::Command6_Click()
{
    finder(QStringLiteral("mpegav"), QStringLiteral("novcd"), QStringLiteral("Please check your VCD whether in cdrom"));
}

// --- folder shortcuts ---

QString Form2::RT(const QString& path)
{
    QStringList lines;
    if (!TextFile::readLines(path, &lines))
        return QString();
    return lines.isEmpty() ? QString() : lines.first();
}

bool Form2::WriteShortcut(const QString& path, const QString& folder, QString* error)
{
    // A folder whose name holds a line break cannot be the file's one line: no shortcut is made.
    return TextFile::isOneLine(folder) && TextFile::writeLines(path, {folder}, nullptr, error);
}

QString Form2::shortcutFolder() const { return lnks() + QLatin1Char('/'); }

void Form2::RefreshShortcutList()
{
    LS->Clear();
    if (LK->ListCount() == 0)
        return;
    // One row for every shortcut, an empty one for a file with no folder, so that row i of LS is
    // always the shortcut of row i of LK.
    QStringList rows;
    for (const QString& name : LK->items())
        rows.append(RT(shortcutFolder() + name));
    LS->AddItems(rows);
    SetExtent(LS, LS->fontMetrics(), 500);
}

void Form2::Command3_Click()
{
    const QString folder = ff->Path();
    const QString name = Dialogs::InputBox(
        SHE::LangText(QStringLiteral("notify3"), QStringLiteral("Please give me a name for Shortcut.")),
        SHE::LangText(QStringLiteral("createshortcut"), QStringLiteral("Create Shortcut")), SHE::FileNameOf(folder), this);
    if (name.isEmpty())
        return;
    const QString title = SHE::LangText(QStringLiteral("error"), QStringLiteral("Error"));
    if (!validShortcutName(name)) {
        Dialogs::MsgBox(QStringLiteral("[") + name + QStringLiteral("] ") +
                            SHE::LangText(QStringLiteral("badshortcutname"),
                                          QStringLiteral(" cannot be a shortcut name: it may not hold \"/\" and may not be \".\" or \"..\"")),
                        Dialogs::OKOnly, title, this);
        return;
    }
    QDir().mkpath(lnks());
    const QString file = shortcutFolder() + name;
    QString error;
    if (!WriteShortcut(file, folder, &error)) {
        // A write that failed names the file and the reason; the shortcut there before is kept.
        QString told = QStringLiteral("[") + name + QStringLiteral("] ") +
                       SHE::LangText(QStringLiteral("shortcutnotwritten"), QStringLiteral(" the shortcut could not be written."));
        if (!error.isEmpty())
            told += QLatin1Char('\n') + file + QStringLiteral(": ") + error;
        Dialogs::MsgBox(told, Dialogs::OKOnly, title, this);
        return;
    }
    LK->Refresh();
    RefreshShortcutList();
}

void Form2::deleteShortcut(const QString& name)
{
    const QString path = shortcutFolder() + name;
    if (!TextFile::remove(path) && TextFile::exists(path))
        Dialogs::MsgBox(QStringLiteral("[") + name + QStringLiteral("] ") +
                            SHE::LangText(QStringLiteral("shortcutnotdeleted"), QStringLiteral(" the shortcut could not be deleted.")),
                        Dialogs::OKOnly, SHE::LangText(QStringLiteral("error"), QStringLiteral("Error")), this);
    LK->Refresh();
    RefreshShortcutList();
}

void Form2::Command4_Click()
{
    const QString name = LK->FileName();
    if (name.isEmpty())
        return;
    deleteShortcut(name);
}

void Form2::LK_KeyDown(int key, int shift)
{
    (void)shift;
    if (key == Qt::Key_Delete)
        Command4_Click();
}

void Form2::LK_Click()
{
    if (syncing_)
        return;
    const int i = LK->ListIndex();
    if (i < 0 || i >= LS->ListCount())
        return;
    syncing_ = true;
    LS->setListIndex(i);
    syncing_ = false;
}

void Form2::LS_Click()
{
    const int i = LS->ListIndex();
    if (i < 0)
        return;
    const QString folder = LS->List(i);
    const QString name = LK->List(i);
    if (Drives::FolderExists(folder)) {
        if (const std::optional<Drives::Drive> d = Drives::containing(folder)) {
            const QSignalBlocker block(dr);
            dr->setDrive(QString(d->letter));
        }
        di->setPath(folder);
        ff->setPath(di->Path());
        if (!syncing_) {
            syncing_ = true;
            LK->setListIndex(i);
            syncing_ = false;
        }
        return;
    }
    const int answer = Dialogs::MsgBox(
        QStringLiteral("[") + folder + QStringLiteral("] ") +
            SHE::LangText(QStringLiteral("notify2"), QStringLiteral(" this directory is not exist!Do you want to delete this shortcut?")),
        Dialogs::OKCancel, SHE::LangText(QStringLiteral("error"), QStringLiteral("Error")), this);
    if (answer == Dialogs::OK && !name.isEmpty())
        deleteShortcut(name);
}
