#include "player/tools/dabs.h"

#include "platform/dialogs.h"
#include "platform/drives/drives.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "platform/wholefile.h"
#include "player/form1.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "ui/drivelistbox.h"
#include "ui/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("PellumPlayer");

// Copies `from` to `to` byte for byte, whole: a crash or a full disk leaves the old file or the new one,
// never half.
bool copyWhole(const QString& from, const QString& to)
{
    const QFileInfo a(from), b(to);
    if (b.exists() && a.canonicalFilePath() == b.canonicalFilePath())
        return true;  // the file is in the folder already
    return WholeFile::copy(from, to);
}

}  // namespace

QString Dabs::GetDabs(const QString& Drv)
{
    quint32 serial = 0;
    if (!Drives::VolumeSerialNumber(Drv, &serial))
        return QStringLiteral("0");
    return QString::number(qint32(serial));
}

QString Dabs::FirstCdRom()
{
    for (const Drives::Drive& d : Drives::table())
        if (d.type == Drives::CdRom)
            return QString(d.letter) + QStringLiteral(":\\");
    return QString();
}

Dabs::Dabs()
{
    setObjectName(QStringLiteral("Dabs"));
    setWindowTitle(QStringLiteral("CD Dabs & PlayList Editor"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPx(7080), Twips::toPx(5400));

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(Twips::toPx(240), Twips::toPx(240));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(1400, 240, 3000, 300));
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(Twips::rect(4800, 60, 2040, 900));
    option1 = new QRadioButton(QStringLiteral("VCD"), Frame1);
    option1->setObjectName(QStringLiteral("option1"));
    option1->setGeometry(Twips::rect(120, 300, 850, 400));
    Option2 = new QRadioButton(QStringLiteral("CD"), Frame1);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setGeometry(Twips::rect(1060, 300, 850, 400));
    option1->setChecked(true);
    // Only a VCD's files play here.
    connect(option1, &QRadioButton::toggled, this, [this](bool on) { Command5->setEnabled(on); });

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(Twips::rect(240, 660, 4320, 3000));
    connect(List1, &ListBox::Click, this, &Dabs::List1_Click);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(240, 3780, 4320, 360));
    Text1->installEventFilter(this);
    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(Twips::rect(240, 4260, 4320, 900));
    Drive1 = new DriveListBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(Twips::rect(4800, 4260, 2040, 360));
    Drive1->hide();
    connect(Drive1, &DriveListBox::Change, this, &Dabs::Drive1_Change);

    auto button = [this](QPushButton*& b, const char* name, int top, void (Dabs::*click)()) {
        b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(Twips::rect(4800, top, 2040, 420));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, click);
    };
    button(Command1, "Command1", 1080, &Dabs::Command1_Click);
    button(Command3, "Command3", 1580, &Dabs::Command3_Click);
    button(Command2, "Command2", 2080, &Dabs::Command2_Click);
    button(Command6, "Command6", 2580, &Dabs::Command6_Click);
    button(Command5, "Command5", 3080, &Dabs::Command5_Click);
    button(Command4, "Command4", 3580, &Dabs::Command4_Click);
}

void Dabs::Form_Load()
{
    Form1& f = Form1::instance();
    setWindowIcon(f.windowIcon());
    Command1->setText(f.GL(QStringLiteral("getdabs"), QStringLiteral("Get Dabs and PlayList")));
    Command3->setText(f.GL(QStringLiteral("modify"), QStringLiteral("Modify")));
    Command2->setText(f.GL(QStringLiteral("exportlist"), QStringLiteral("ExportList")));
    Command6->setText(f.GL(QStringLiteral("importlist"), QStringLiteral("ImportList")));
    Command4->setText(f.GL(QStringLiteral("exit"), QStringLiteral("Exit")));
    Command5->setText(f.GL(QStringLiteral("play"), QStringLiteral("Play")));
    Label2->setText(f.GL(QStringLiteral("dabs"), QStringLiteral("Direzar")) + QStringLiteral("\uFF1A"));
    Label2->adjustSize();
    QRect l1 = Twips::of(Label1);
    l1.moveLeft(Twips::fromPx(Label2->x()) + Twips::fromPx(Label2->width()) + 100);
    Twips::place(Label1, l1);
    TitleFolder = ProgramFolder::file(QStringLiteral("CDs"));
    QDir().mkpath(TitleFolder);
}

QString Dabs::titleFile() const { return TitleFolder + QLatin1Char('/') + Label1->text().trimmed() + QStringLiteral(".pellum"); }

void Dabs::Command1_Click()
{
    QString root = FirstCdRom();
    if (root.isEmpty())
        root = QStringLiteral("Z:\\");
    Label1->setText(GetDabs(root));
    if (Label1->text() == QLatin1String("0")) {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("novcd"), QStringLiteral("Please check your CD whether in cdrom")),
                        Dialogs::OKOnly, kTitle, this);
        return;
    }
    const QString folder = Drives::nativeFolder(root);
    if (option1->isChecked()) {
        const QString mpegav = Drives::nativeFolder(root + QStringLiteral("mpegav"));
        if (Drives::FolderExists(mpegav)) {
            File1->setPath(mpegav);
            if (File1->ListCount() > 0) {
                QStringList rows;
                for (const QString& name : File1->items())
                    rows.append(File1->Path() + QLatin1Char('/') + name);
                List1->Clear();
                List1->AddItems(rows);
            }
        }
    } else {
        File1->setPath(Drives::FolderExists(folder) ? folder : QString());
        QStringList rows;
        for (const QString& name : File1->items())
            rows.append(File1->Path() + name);
        // An audio disc has no file system to show: its tracks are listed as the original platform
        // shows them in the disc's root.
        const std::optional<Drives::Drive> drive = Drives::find(root);
        const std::optional<Drives::Toc> toc = rows.isEmpty() && drive ? Drives::readToc(drive->device) : std::nullopt;
        for (int t = 0; toc && t < toc->trackCount(); ++t)
            rows.append(QStringLiteral("Track%1.cda").arg(toc->firstTrack + t, 2, 10, QLatin1Char('0')));
        if (!rows.isEmpty()) {
            List1->Clear();
            List1->AddItems(rows);
        }
    }
    QStringList titles;
    if (QFileInfo(titleFile()).isFile() && PlayListFile::read(titleFile(), PlayListFile::Rule::TitleList, &titles)) {
        List1->Clear();
        List1->AddItems(titles);
    }
}

void Dabs::List1_Click()
{
    Text1->setText(List1->List(List1->ListIndex()));
    Text1->setFocus();
    Text1->selectAll();  // also when it had the focus already
}

void Dabs::Command3_Click()
{
    const int i = List1->ListIndex();
    if (i < 0)
        return;  // no row to write to
    List1->setList(i, Text1->text());
    TitlesChanged = true;
}

void Dabs::Text1_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13) {
        if (Text1->text() == QLatin1String("6284"))
            Drive1->show();
        Command3_Click();
        const int next = List1->ListIndex() + 1;
        if (next < List1->ListCount())
            List1->setListIndex(next);
        Text1->selectAll();
    }
    TitlesChanged = true;
}

void Dabs::Drive1_Change() { Label1->setText(GetDabs(Drive1->Drive().left(2) + QStringLiteral("\\"))); }

void Dabs::Command2_Click() { exportTitles(); }

bool Dabs::exportTitles()
{
    if (List1->ListCount() == 0)
        return true;
    // A serial of 0 stands for no disc: no title file is named by it.
    const QString serial = Label1->text().trimmed();
    if (serial.isEmpty() || serial == QLatin1String("0")) {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("novcd"), QStringLiteral("Please check your CD whether in cdrom")),
                        Dialogs::OKOnly, kTitle, this);
        return true;
    }
    const QString file = titleFile();
    // Only a file is offered to be overwritten: a folder or anything else in its place is told below.
    if (QFileInfo(file).isFile() &&
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("fileexist"), QStringLiteral("File existed! Overwrite it?")),
                        Dialogs::YesNo, kTitle, this) == Dialogs::No)
        return true;
    QString error;
    if (!PlayListFile::write(file, List1->items(), nullptr, &error)) {
        // The titles are not on disk: the user hears where and why, and the rows stay as they are.
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("titlesnotsaved"), QStringLiteral("The title list could not be saved as")) +
                            QLatin1Char(' ') + file + QStringLiteral(" (") + error + QStringLiteral(")."),
                        Dialogs::OKOnly, kTitle, this);
        return false;
    }
    Dialogs::MsgBox(SHE::LangText(QStringLiteral("listexported"), QStringLiteral("has exported!")), Dialogs::OKOnly,
                    kTitle, this);
    TitlesChanged = false;
    return true;
}

void Dabs::Command6_Click()
{
    const QString chosen = Dialogs::ShowOpen(QStringLiteral("PellumPlayer Playlist(*.pellum)|*.pellum"), 0, this);
    if (!chosen.isEmpty()) {
        // A copy that fails ends the import quietly; a title file of that name stays as it was.
        if (!copyWhole(chosen, ProgramFolder::file(QStringLiteral("CDs/")) + SHE::FileNameOf(chosen)))
            return;
        Dialogs::MsgBox(Form1::instance().GL(QStringLiteral("imported"), QStringLiteral("CD dabs playlist imported complete.")),
                        Dialogs::OKOnly, kTitle, this);
    }
    Command1_Click();
}

void Dabs::Command5_Click()
{
    // Titles and files are linked by row position only; a row beyond the files plays nothing.
    const QString name = File1->List(List1->ListIndex());
    if (name.isEmpty())
        return;
    Form1::instance().mp->setFileName(File1->Path() + QLatin1Char('/') + name);
}

void Dabs::Command4_Click() { Unload(); }

void Dabs::Form_Unload(int& cancel)
{
    // Titles that were to be saved and could not be stay in the editor, which stays open with them.
    if (TitlesChanged &&
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("changed"), QStringLiteral("PlayList has changed,Do you want to save it?")),
                        Dialogs::YesNo, kTitle, this) == Dialogs::Yes &&
        !exportTitles())
        cancel = 1;
}

bool Dabs::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, &QLineEdit::selectAll);
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        // Keys that type a character, Enter among them, as the text box's key-press event counts them.
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
            Text1_KeyPress(13);
        else if (!k->text().isEmpty())
            Text1_KeyPress(k->text().at(0).unicode());
    }
    return VbForm::eventFilter(watched, event);
}
