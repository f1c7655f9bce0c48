#include "player/tools/form3.h"

#include "platform/cdaudio/cdaudio.h"
#include "platform/desktop/shell.h"
#include "platform/drives/drives.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "player/form1.h"
#include "player/loadk.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "player/tools/dabs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace {

// The number a text begins with, blanks skipped; 0 when it begins with none.
int val(const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char(' '));
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    long long v = 0;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9') && v < 100000000; ++i)
        v = v * 10 + (t[i].unicode() - '0');
    return int(negative ? -v : v);
}

// A whole number with at least two digits; a negative one keeps its sign ("-01").
QString two(int n) { return (n < 0 ? QStringLiteral("-") : QString()) + QStringLiteral("%1").arg(qAbs(n), 2, 10, QLatin1Char('0')); }

// Minutes and seconds of a "mm : ss" label: its first two characters and its last two.
int labelSeconds(const QString& text) { return val(text.left(2)) * 60 + val(text.right(2)); }

const QString kResting = QStringLiteral("color: black; background: transparent; border: none; font-size: 11pt;");
const QString kLit = QStringLiteral("color: white; background: #ff0000; border: 1px solid black; font-size: 11pt;");

void setLook(QWidget* w, const QString& sheet)
{
    if (w->styleSheet() != sheet)
        w->setStyleSheet(sheet);
}

}  // namespace

Form3::Form3()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("PellumCDplayer"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    Picture1 = new SkinLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/skin/cdplayer.png")));
    Picture1->adjustSize();
    Picture1->moved = [this] { HoverFlag = false; };
    Picture1->pressed = [this](const QPoint&) {
        // A press with the left button drags the window as its title bar would.
        if ((QGuiApplication::mouseButtons() & Qt::LeftButton) && windowHandle())
            windowHandle()->startSystemMove();
    };

    auto display = [this](const char* name, const QRect& r, int points, bool bold, Qt::Alignment align) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(r);
        QFont f = l->font();
        f.setPointSize(points);
        f.setBold(bold);
        l->setFont(f);
        l->setAlignment(align | Qt::AlignVCenter);
        l->setStyleSheet(QStringLiteral("color: #8dfcae; background: transparent;"));
        return l;
    };
    Label4 = display("Label4", QRect(16, 11, 208, 18), 9, false, Qt::AlignLeft);
    Label4->setText(QStringLiteral("Pellum CDplayer"));
    Label2 = display("Label2", QRect(16, 31, 150, 30), 15, true, Qt::AlignLeft);
    Label3 = display("Label3", QRect(166, 39, 58, 20), 10, false, Qt::AlignRight);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(239, 11, 110, 108);
    List1->setFrameShape(QFrame::NoFrame);
    List1->setStyleSheet(QStringLiteral("QListView { background: transparent; font-size: 9pt; }"));
    connect(List1, &ListBox::Click, this, &Form3::List1_Click);

    SS = new QSlider(Qt::Horizontal, this);
    SS->setObjectName(QStringLiteral("SS"));
    SS->setGeometry(10, 70, 222, 20);
    SS->setRange(0, 0);
    SS->installEventFilter(this);
    // The user's moves seek; the tick's settings of the value do not. A drag seeks once, where the
    // thumb is let go; the wheel moves the thumb with no drag, and seeks at once.
    connect(SS, &QSlider::sliderReleased, this, &Form3::SS_Change);
    connect(SS, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderNoAction || (action == QAbstractSlider::SliderMove && SS->isSliderDown()))
            return;
        QMetaObject::invokeMethod(this, &Form3::SS_Change, Qt::QueuedConnection);
    });

    // The button labels on the skin's plates, in the window's control order.
    auto button = [this](SkinLabel*& l, const char* name, const QString& caption, const char* tip, const QRect& r,
                         void (Form3::*click)()) {
        l = new SkinLabel(this);
        l->setText(caption);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(r);
        l->setAlignment(Qt::AlignCenter);
        l->setToolTip(QString::fromLatin1(tip));
        l->setCursor(Qt::PointingHandCursor);
        SkinLabel* self = l;
        l->moved = [this, self] { Highlight(self); };
        l->clicked = [this, click] { (this->*click)(); };
        buttons_.append(l);
    };
    button(Command6, "Command6", QStringLiteral("<<"), "Previous song", QRect(10, 94, 48, 20), &Form3::Command6_Click);
    button(Command4, "Command4", QStringLiteral("Play"), "Play song", QRect(62, 94, 52, 20), &Form3::Command4_Click);
    button(Command5, "Command5", QStringLiteral("Pause"), "Pause song", QRect(118, 94, 52, 20), &Form3::Command5_Click);
    button(Command7, "Command7", QStringLiteral(">>"), "Next song", QRect(174, 94, 48, 20), &Form3::Command7_Click);
    button(Command1, "Command1", QStringLiteral("Reset"), "Reset CD-Rom", QRect(10, 122, 52, 20), &Form3::Command1_Click);
    button(Command2, "Command2", QStringLiteral("Eject"), "Eject the CD-Rom door", QRect(66, 122, 48, 20),
           &Form3::Command2_Click);
    button(Command3, "Command3", QStringLiteral("Shut"), "Shut the CD-Rom door", QRect(118, 122, 46, 20),
           &Form3::Command3_Click);
    button(command10, "command10", QStringLiteral("Volume"), "Tune volume", QRect(168, 122, 62, 20),
           &Form3::command10_Click);
    // The minimise glyph (the platform's symbol font has none here).
    button(Label1, "Label1", QStringLiteral("_"), "Minimize", QRect(238, 128, 24, 20), &Form3::Label1_Click);
    button(command8, "command8", QStringLiteral("Power"), "Exit CDplayer", QRect(266, 128, 84, 20), &Form3::command8_Click);

    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, &Form3::ResetHighlight);
    ResetHighlight();
}

void Form3::showPlayer()
{
    Form3& f = instance();
    if (!f.isVisible())
        f.show();
}

QString Form3::mci(const QString& command)
{
    QString result;
    CdAudio::mciSendString(command, &result);
    return result;
}

void Form3::setTimer1Interval(int ms)
{
    if (ms > 0)
        Timer1->start(ms);
    else
        Timer1->stop();
}

void Form3::Form_Load()
{
    loadk::instance().show();
    Picture1->move(0, 0);
    setFixedSize(Picture1->size());
    loadk::ShowStatus(SHE::LangText(QStringLiteral("initialing"), QStringLiteral("Initialing")), 0);
    const QRegion region = SHE::MakeSkinRegion(Picture1->pixmap().toImage());
    if (loadk::isLoaded())
        loadk::instance().Label4->setText(loadk::instance().Label4->text() + QStringLiteral(" CDplayer"));
    loadk::ShowStatus(SHE::LangText(QStringLiteral("detectcd"), QStringLiteral("Detecting CD and MCI driver")), 0);
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
    loadk::instance().hide();
    Timer1->start(1000);
    Timer2->start();
    openDevice();
}

void Form3::Form_Unload(int& cancel)
{
    (void)cancel;
    // However the window goes, the disc stops with it.
    Timer1->stop();
    Timer2->stop();
    mci(QStringLiteral("stop song"));
    mci(QStringLiteral("close song"));
    emit unloaded();
}

void Form3::openDevice()
{
    mci(QStringLiteral("close all"));
    mci(QStringLiteral("open cdaudio alias song"));
    const QString count = mci(QStringLiteral("status song number of tracks"));
    if (val(count) <= 0) {
        Label4->setText(QStringLiteral("No Audio CD in cdrom"));
        Label2->setText(QStringLiteral("Searching..."));
        return;
    }
    Label3->setText(count);
    Label2->setText(mci(QStringLiteral("status song current track")));
    setTimer1Interval(1000);
    sht();
    List1->setListIndex(0);
}

void Form3::sht()
{
    List1->Clear();
    const QString count = mci(QStringLiteral("status song number of tracks"));
    TrackCount = qint16(qBound(-32768, val(count), 32767));
    QStringList rows;
    for (int t = 1; t <= TrackCount; ++t)
        rows.append(QStringLiteral(" \u25CETune_") + two(t));
    List1->AddItems(rows);
    const QString root = Dabs::FirstCdRom();
    // The option is the main window's; without the main window it is read where that keeps it.
    const bool dd = Form1::isLoaded() ? Form1::instance().dd->Checked() : SettingsStore::GetFlag(QStringLiteral("dd"));
    if (!root.isEmpty() && dd) {
        const QString serial = Dabs::GetDabs(root);
        QDir().mkpath(ProgramFolder::file(QStringLiteral("CDs")));
        const QString titles = ProgramFolder::file(QStringLiteral("CDs/") + serial + QStringLiteral(".pellum"));
        QStringList lines;
        // No title file is named by 0, which stands for no disc.
        if (serial != QLatin1String("0") && QFileInfo(titles).isFile() &&
            PlayListFile::read(titles, PlayListFile::Rule::TitleList, &lines)) {
            List1->Clear();
            List1->AddItems(lines);
        }
    }
    Label3->setText(count);
}

QString Form3::TTA(const QString& a, const QString& b)
{
    int dm = val(a.mid(0, 2)) - val(b.mid(0, 2));
    int ds = val(a.mid(3, 2)) - val(b.mid(3, 2));
    if (ds < 0) {
        dm -= 1;
        ds += 60;
    }
    return two(dm) + QStringLiteral(" : ") + two(ds);
}

QString Form3::LastTrackLength(const QString& discLength, const QString& start)
{
    const QString x = TTA(discLength, start);
    int m = val(x.left(2));
    int s = val(x.right(2)) + 2;
    if (s >= 60) {
        m += 1;
        s -= 60;
    }
    return two(m) + QStringLiteral(" : ") + two(s);
}

QString Form3::SeekTarget(const QString& start, int seconds)
{
    const int m = seconds / 60;
    const int s = seconds - 60 * m;
    int minutes = val(start.left(2)) + m;
    int secs = val(start.mid(3, 2)) + s;
    // Seconds past 59 are carried into the minutes, so that the point chosen is the point sought.
    minutes += secs / 60;
    secs %= 60;
    return two(minutes) + QStringLiteral(":") + two(secs) + QStringLiteral(":00");
}

void Form3::Timer1_Timer()
{
    const int cur = val(mci(QStringLiteral("status song current track")));
    setWindowTitle(QStringLiteral("PellumCDplayer >> Track %1 / %2").arg(cur).arg(TrackCount));
    Label4->setText(QStringLiteral("%1 / %2").arg(cur).arg(TrackCount));
    const QString start = mci(QStringLiteral("status song position track ") + QString::number(cur));
    const QString nextStart = mci(QStringLiteral("status song position track ") + QString::number(cur + 1));
    const QString pos = mci(QStringLiteral("status song position"));
    Label3->setText(TTA(nextStart, start));
    Label2->setText(TTA(pos, start));
    const int count = val(mci(QStringLiteral("status song number of tracks")));
    if (count <= 0) {
        Label3->clear();
        setTimer1Interval(1000);
        Command1_Click();
        return;
    }
    if (cur == count)
        Label3->setText(LastTrackLength(mci(QStringLiteral("status song length")), start));
    // The playing track's row, selected without a click, so the track is not started again. A title
    // list shorter than the disc has no row for a later track: then no row is selected.
    if (cur >= 1 && cur <= List1->ListCount())
        List1->SelectString(-1, List1->List(cur - 1));
    else
        List1->clearSelection();
    const int length = qAbs(labelSeconds(Label3->text()));
    const int elapsed = labelSeconds(Label2->text());
    SS->setMinimum(0);
    SS->setMaximum(length);
    if (elapsed >= 0 && elapsed <= length)
        SS->setValue(elapsed);
}

void Form3::List1_Click()
{
    const QString p = mci(QStringLiteral("status song position track ") + QString::number(List1->ListIndex() + 1));
    mci(QStringLiteral("play song from ") + p.left(8));
}

void Form3::SS_Change()
{
    const QString cur = mci(QStringLiteral("status song current track"));
    const QString start = mci(QStringLiteral("status song position track ") + QString::number(val(cur)));
    const QString target = SeekTarget(start, SS->value());
    mci(QStringLiteral("pause song"));
    mci(QStringLiteral("seek song to ") + target);
    mci(QStringLiteral("play song"));
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    // The tick leaves the slider alone while the user holds it.
    if (watched == SS && event->type() == QEvent::MouseButtonPress)
        setTimer1Interval(0);
    else if (watched == SS && event->type() == QEvent::MouseButtonRelease)
        setTimer1Interval(1000);
    return VbForm::eventFilter(watched, event);
}

void Form3::Command1_Click()
{
    List1->Clear();
    ResetHighlight();
    openDevice();
}

void Form3::Command2_Click()
{
    mci(QStringLiteral("set song door open"));
    List1->Clear();
}

void Form3::Command3_Click()
{
    if (mci(QStringLiteral("status song mode")).left(7) == QLatin1String("playing"))
        return;
    mci(QStringLiteral("set song door closed"));
    Command1_Click();
}

void Form3::Command4_Click() { mci(QStringLiteral("play song")); }

void Form3::Command5_Click()
{
    if (mci(QStringLiteral("status song mode")).left(7) == QLatin1String("playing"))
        mci(QStringLiteral("pause song"));
    else
        mci(QStringLiteral("play song"));
}

void Form3::Command6_Click()
{
    int c = val(mci(QStringLiteral("status song current track")));
    if (c == 1)
        c = val(mci(QStringLiteral("status song number of tracks"))) + 1;
    if (c > 1) {
        const QString p = mci(QStringLiteral("status song position track ") + QString::number(c - 1));
        mci(QStringLiteral("play song from ") + p.left(8));
        Label2->setText(mci(QStringLiteral("status song current track")));
    }
}

void Form3::Command7_Click()
{
    const int count = val(mci(QStringLiteral("status song number of tracks")));
    int c = val(mci(QStringLiteral("status song current track")));
    if (c == count)
        c = 0;
    if (c < count) {
        const QString p = mci(QStringLiteral("status song position track ") + QString::number(c + 1));
        mci(QStringLiteral("play song from ") + p.left(8));
        Label2->setText(mci(QStringLiteral("status song current track")));
    }
}

void Form3::command8_Click() { Unload(); }

// A mixer that cannot be started is logged by the shell and otherwise ignored.
void Form3::command10_Click() { SHE::StartMixer(this); }

void Form3::Label1_Click() { showMinimized(); }

void Form3::Highlight(QLabel* label)
{
    HoverFlag = true;
    setLook(label, kLit);
}

void Form3::ResetHighlight()
{
    if (HoverFlag)
        return;
    for (SkinLabel* l : buttons_)
        setLook(l, kResting);
}
