#include "player/tools/scr1.h"

#include "platform/desktop/screen.h"
#include "platform/dialogs.h"
#include "platform/settings.h"
#include "player/she.h"
#include "player/tools/scrset.h"
#include "ui/filelistbox.h"
#include "ui/picturebox.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>

namespace {

using Routine = SHE::EffectEnd (*)(PictureBox&, PictureBox&, int);

SHE::EffectEnd randomBlocks(PictureBox& dest, PictureBox& src, int size) { return SHE::RandomBlocks(dest, src, size); }
SHE::EffectEnd randomQuarters(PictureBox& dest, PictureBox& src, int size)
{
    return SHE::RandomQuarters(dest, src, quint8(size));
}

struct Effect {
    Routine routine;
    int variant;  // the block size for the two random ones
};

// By index: the settings window names 0 to 28 (Rain1 ... Wave4); 29 and 30 come only by Random.
const Effect kEffects[SCR1::EffectCount] = {
    {SHE::RainHalves, 1},    {SHE::RainHalves, 2},    {SHE::RainLines, 1},     {SHE::RainLines, 2},
    {SHE::RainLines, 3},     {SHE::RainLines, 4},     {SHE::CloseDoor, 1},     {SHE::CloseDoor, 2},
    {randomBlocks, 5},       {randomQuarters, 5},     {SHE::DiagonalSweep, 1}, {SHE::DiagonalSweep, 2},
    {SHE::DiagonalSweep, 3}, {SHE::DiagonalSweep, 4}, {SHE::CentreOut, 1},     {SHE::CentreOut, 2},
    {SHE::CentreOut, 3},     {SHE::CentreOut, 4},     {SHE::CentreOut, 5},     {SHE::CornerWipe, 1},
    {SHE::CornerWipe, 2},    {SHE::CornerWipe, 3},    {SHE::CornerWipe, 4},    {SHE::CornerWipe, 5},
    {SHE::CornerWipe, 6},    {SHE::CornerWipe, 7},    {SHE::CornerWipe, 8},    {SHE::SineWave, 1},
    {SHE::SineWave, 2},      {SHE::SineWave, 3},      {SHE::SineWave, 4},
};

}  // namespace

SCR1::SCR1()
{
    setObjectName(QStringLiteral("SCR1"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowState(Qt::WindowFullScreen);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    // No pointer is seen over the saver.
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);

    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->move(0, 0);
    Picture3 = new PictureBox(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->AutoSize = true;
    Picture3->hide();
    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &SCR1::Timer1_Timer);
}

SCR1::~SCR1() { holdDesktopSaver(false); }

void SCR1::Form_Load()
{
    holdDesktopSaver(true);
    SHE::YieldEvents(1);
    Timer1->start();
}

void SCR1::Form_Unload(int& cancel)
{
    (void)cancel;
    Timer1->stop();
    holdDesktopSaver(false);
}

void SCR1::holdDesktopSaver(bool on)
{
    if (on == holding_)
        return;
    holding_ = on;
    Screen::screenSaverInhibit(on);
}

void SCR1::setInterval(int ms)
{
    if (ms <= 0) {
        Timer1->stop();
        return;
    }
    Timer1->start(ms);
}

void SCR1::closeEvent(QCloseEvent* e)
{
    if (!e->spontaneous()) {
        VbForm::closeEvent(e);
        return;
    }
    e->ignore();
    EndScreenSaver();
}

void SCR1::showEvent(QShowEvent* e)
{
    VbForm::showEvent(e);
    activateWindow();
    setFocus();
}

void SCR1::hideEvent(QHideEvent* e)
{
    VbForm::hideEvent(e);
    // Hidden by the program is gone (a release or the end of the program): the tick stops with it.
    if (!e->spontaneous()) {
        Timer1->stop();
        holdDesktopSaver(false);
    }
}

void SCR1::Timer1_Timer()
{
    if (ticking_)
        return;
    ticking_ = true;
    QPointer<SCR1> self(this);
    tick();
    if (self)
        ticking_ = false;
}

void SCR1::tick()
{
    QPointer<SCR1> self(this);
    SHE::YieldEvents(1);
    if (!self)
        return;
    const int i = int(File1->ListCount() * QRandomGenerator::global()->generateDouble());
    // The picture on show becomes the background, over which the next one comes in. Of a photo larger
    // than the screen only the part on the screen is ever seen: only that part is kept on show.
    Picture1->keepWithin(screen() ? screen()->size() : size());
    Picture1->setPicture(Picture3->Picture());
    const QImage next = PictureBox::load(File1->Path() + QLatin1Char('/') + File1->List(i));
    if (next.isNull())
        return;
    Picture3->setPicture(next);
    Picture1->setSize(Picture3->ScaleWidth(), Picture3->ScaleHeight());
    if (SCRSET::instance().option1->isChecked())
        EffectIndex = qint16(QRandomGenerator::global()->generateDouble() * EffectCount);
    RunEffect(EffectIndex, *Picture1, *Picture3);
}

SHE::EffectEnd SCR1::RunEffect(int index, PictureBox& dest, PictureBox& src)
{
    if (index < 0 || index >= EffectCount)
        return SHE::EffectEnd::Done;
    dest.Cls();
    return kEffects[index].routine(dest, src, kEffects[index].variant);
}

void SCR1::EndScreenSaver()
{
    if (ending_)
        return;
    if (!SCRSET::instance().Check1->isChecked()) {
        Unload();
        return;
    }
    const QString stored = SettingsStore::GetSetting(QStringLiteral("psw"));
    if (stored.isEmpty()) {
        Unload();
        return;
    }
    QPointer<SCR1> self(this);
    ending_ = true;
    const QString answer =
        Dialogs::PasswordBox(SHE::LangText(QStringLiteral("enterps"), QStringLiteral("Please enter the password")),
                             QStringLiteral("PellumPlayer"), this);
    if (!self)
        return;
    bool isNumber = false;
    const double number = answer.toDouble(&isNumber);
    if (answer.isEmpty()) {
        // The saver goes on.
    } else if ((isNumber && number == MasterCode) || answer == stored) {
        Unload();
        return;
    } else {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("incorrectpw"), QStringLiteral("Password is incorrect!")),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), this);
    }
    if (self)
        ending_ = false;
}

void SCR1::keyPressEvent(QKeyEvent* e)
{
    // Keys that give a character (letters, digits, Enter, Esc...); arrows, function keys and the
    // modifiers alone do not end the saver.
    if (e->text().isEmpty()) {
        VbForm::keyPressEvent(e);
        return;
    }
    EndScreenSaver();
}

void SCR1::mousePressEvent(QMouseEvent* e)
{
    (void)e;
    EndScreenSaver();
}
