#include "player/tools/shower.h"

#include "platform/drives/drives.h"
#include "platform/settings.h"
#include "player/form1.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "player/tools/form4.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/picturebox.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

const QString Shower::PicturePattern = QStringLiteral("*.jpg;*.bmp;*.gif;*.ico;*.wmf;*.emf;*.cur;*.dib");
const QString Shower::ListPattern = QStringLiteral("*.pls;*.m3u;*.pellum;*.txt");

namespace {

// Places of the window's elements, in twips.
const QRect kFrame(3300, 120, 7200, 5400);

QPushButton* button(QWidget* parent, const char* name, const QRect& twips)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    Twips::place(b, twips);
    return b;
}

// A step of the shrinking fit: `percent` % less than `length`, rounded half to even.
long long shrunk(long long length, int percent) { return std::llround(std::nearbyint((1 - percent * 0.01) * length)); }

}  // namespace

Shower::Shower()
{
    setObjectName(QStringLiteral("Shower"));
    setWindowTitle(QStringLiteral("Shower"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Drive1 = new DriveListBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Twips::place(Drive1, QRect(120, 120, 3000, 330));
    Dir1 = new DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Twips::place(Dir1, QRect(120, 540, 3000, 2520));
    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    Twips::place(File1, QRect(120, 3150, 3000, 2370));
    imgBackGround = new QLabel(this);
    imgBackGround->setObjectName(QStringLiteral("imgBackGround"));
    imgBackGround->setFrameStyle(QFrame::Box | QFrame::Plain);
    imgBackGround->setStyleSheet(QStringLiteral("color: #5d6a80"));
    Twips::place(imgBackGround, kFrame);
    imgBackGround->hide();
    imgPreView = new QLabel(this);
    imgPreView->setObjectName(QStringLiteral("imgPreView"));
    imgPreView->setScaledContents(true);
    imgPreView->hide();
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Twips::place(Text1, kFrame);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Twips::place(Label2, QRect(3300, 5580, 7200, 300));

    Command7 = button(this, "Command7", QRect(120, 5970, 450, 390));
    Command7->setText(QStringLiteral("◀"));
    Command6 = button(this, "Command6", QRect(660, 5970, 450, 390));
    Command6->setText(QStringLiteral("▶"));
    Command1 = button(this, "Command1", QRect(1320, 5970, 1800, 390));
    Command2 = button(this, "Command2", QRect(3300, 5970, 1800, 390));
    Command3 = button(this, "Command3", QRect(5280, 5970, 2000, 390));
    Command5 = button(this, "Command5", QRect(5280, 5970, 2000, 390));
    Command4 = button(this, "Command4", QRect(8700, 5970, 1800, 390));
    setFixedSize(Twips::toPx(10620), Twips::toPx(6500));

    connect(Drive1, &DriveListBox::Change, this, &Shower::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &Shower::Dir1_Change);
    connect(File1, &ListBox::Click, this, &Shower::File1_Click);
    connect(Command1, &QPushButton::clicked, this, &Shower::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Shower::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Shower::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Shower::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Shower::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Shower::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Shower::Command7_Click);

    // The browser starts at the first drive that holds a volume.
    for (const Drives::Drive& d : Drives::table()) {
        if (!d.root.isEmpty()) {
            const QSignalBlocker block(Drive1);
            Drive1->setDrive(QString(d.letter));
            Dir1->setPath(d.root);
            break;
        }
    }
}

void Shower::Form_Load()
{
    Command1->setText(SHE::LangText(QStringLiteral("pictures"), QStringLiteral("Pictures")));
    Command2->setText(SHE::LangText(QStringLiteral("playlist"), QStringLiteral("PlayList")));
    Command3->setText(SHE::LangText(QStringLiteral("deskwallpaper"), QStringLiteral("DeskWallpaper")));
    Command5->setText(SHE::LangText(QStringLiteral("importlist"), QStringLiteral("Importlist")));
    Command4->setText(SHE::LangText(QStringLiteral("exit"), QStringLiteral("Exit")));
    if (Form1::isLoaded())
        setWindowIcon(Form1::instance().windowIcon());
    if (SettingsStore::GetNumber(QStringLiteral("whatshow"), 0) != 0)
        Command2_Click();
    else
        Command1_Click();
}

void Shower::showEvent(QShowEvent* e)
{
    VbForm::showEvent(e);
    Command4->setFocus();
}

QString Shower::pathOf(const QString& name) const
{
    const QString folder = File1->Path();
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

void Shower::Command1_Click() { switchMode(0); }

void Shower::Command2_Click() { switchMode(1); }

// The two switches are mirror images: the folder left is kept as the other mode's, whatever mode was
// shown, and the mode's own folder comes back.
void Shower::switchMode(qint16 mode)
{
    const bool lists = mode == 1;
    (lists ? PictureFolder : ListFolder) = File1->Path();
    const QString back = lists ? ListFolder : PictureFolder;
    if (!back.isEmpty()) {
        Dir1->setPath(back);
        if (const std::optional<Drives::Drive> d = Drives::containing(Dir1->Path())) {
            const QSignalBlocker block(Drive1);
            Drive1->setDrive(QString(d->letter));
        }
    }
    ShowMode = mode;
    SettingsStore::SaveSetting(QStringLiteral("whatshow"), QString::number(mode));
    Command3->setVisible(!lists);
    Command5->setVisible(lists);
    Text1->setVisible(lists);
    Text1->raise();
    File1->setPattern(lists ? ListPattern : PicturePattern);
}

void Shower::Drive1_Change() { Drive1->openIn(Dir1); }

void Shower::Dir1_Change() { File1->setPath(Dir1->Path()); }

void Shower::File1_Click()
{
    Label2->clear();
    QElapsedTimer clock;
    clock.start();
    const QString name = File1->FileName();
    const QString path = pathOf(name);
    setWindowTitle(QStringLiteral("Shower - ") + path);
    if (name.isEmpty())
        return;
    if (ShowMode == 0) {
        PicturePath = path;
        PicShow();
        if (ShownPicturePath.isEmpty())
            return;  // no picture: the click ends quietly
    } else {
        Text1->clear();
        QStringList lines;
        if (!PlayListFile::read(path, PlayListFile::Rule::Preview, &lines))
            return;
        Label2->setText(QStringLiteral("Loading....."));
        // Each line shown is followed by a line break, as a list file writes them.
        Text1->setPlainText(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    Label2->setText(QStringLiteral("Loaded time : ") + QString::number(clock.elapsed()) + QStringLiteral("ms "));
}

void Shower::hidePreview()
{
    imgPreView->hide();
    imgPreView->clear();
    picture_ = QImage();
    ShownPicturePath.clear();
}

void Shower::PicShow()
{
    const QString path = PicturePath;
    if (!ShownPicturePath.isEmpty() && ShownPicturePath.compare(path, Qt::CaseInsensitive) == 0)
        return;
    setCursor(Qt::WaitCursor);
    imgPreView->hide();
    // Paint what changed; a click that waits is taken once the picture is on show.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QImage picture = PictureBox::load(path);
    if (picture.isNull()) {
        // A file that is no picture, or cannot be read, leaves the preview empty and says nothing.
        hidePreview();
        unsetCursor();
        return;
    }
    imgBackGround->show();
    const QSize own(Twips::fromPx(picture.width()), Twips::fromPx(picture.height()));
    Label2->setText(QStringLiteral("W:") + QString::number(picture.width()) + QStringLiteral(" / ") + QStringLiteral("H:") +
                    QString::number(picture.height()));
    const QSize size = FitSize(own, kFrame.size());
    picture_ = picture;
    ShownPicturePath = path;
    const QRect place(qRound((kFrame.width() - size.width()) / 2.0) + kFrame.left(),
                      qRound((kFrame.height() - size.height()) / 2.0) + kFrame.top(), size.width(), size.height());
    Twips::place(imgPreView, place);
    imgPreView->setPixmap(QPixmap::fromImage(
        picture.scaled(imgPreView->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    imgPreView->show();
    imgPreView->raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    unsetCursor();
}

QSize Shower::FitSize(const QSize& picture, const QSize& frame)
{
    const long long w = picture.width(), h = picture.height();
    const long long roomW = frame.width() - 2, roomH = frame.height() - 2;
    auto fits = [&](long long a, long long b) { return roomW >= a && roomH >= b; };
    if (fits(w, h))
        return picture;
    auto stepFits = [&](int p) { return fits(shrunk(w, p), shrunk(h, p)); };
    // The first 1% step that fits, found from the share of the picture that the frame holds.
    const double share = std::min(double(roomW) / double(w), double(roomH) / double(h));
    int p = std::clamp(int(std::floor(100.0 * (1.0 - share))) - 1, 1, 99);
    while (p > 1 && stepFits(p - 1))
        --p;
    while (p <= 99 && !stepFits(p))
        ++p;
    if (p <= 99)
        return QSize(int(shrunk(w, p)), int(shrunk(h, p)));
    // Too large for every step: the picture's proportions across the room, at least a pixel each way.
    const long long one = Twips::PerPixel;
    if (roomW * h <= roomH * w)
        return QSize(int(roomW), int(std::max(one, h * roomW / w)));
    return QSize(int(std::max(one, w * roomH / h)), int(roomH));
}

void Shower::Command3_Click()
{
    if (picture_.isNull())
        return;  // nothing previewed
    Form4::SetWallpaper(QPixmap::fromImage(picture_), this);
}

void Shower::Command4_Click() { Unload(); }

void Shower::Command5_Click()
{
    if (File1->FileName().isEmpty() || !Form1::isLoaded())
        return;
    Form1::instance().importj(pathOf(File1->FileName()), 0);
}

void Shower::Command6_Click() { File1->selectNext(); }

void Shower::Command7_Click() { File1->selectPrevious(); }
