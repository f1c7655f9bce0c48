// Main window commands that open other windows and programs.
#include "player/form1.h"

#include "platform/desktop/shell.h"
#include "platform/drives/drives.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "player/compact/find.h"
#include "player/form7.h"
#include "player/she.h"
#include "player/frmabout.h"
#include "player/tools/radio.h"
#include "player/tools/dabs.h"
#include "player/tools/form3.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "player/tools/shower.h"
#include "ui/filelistbox.h"

#include <QPointer>

void Form1::lan_Click() { Form7::instance().showModal(); }

void Form1::abbo_Click() { frmAbout::instance().showModal(); }

void Form1::ms_Click() { find::instance().show(); }

// A program that cannot be started is logged by the shell and otherwise ignored.
void Form1::vol_Click() { SHE::StartMixer(this); }

void Form1::rm_Click() { Shell::startTextEditor(ProgramFolder::file(QStringLiteral("readme.txt")), true); }

void Form1::web_Click() { Shell::openDocument(QString::fromLatin1(frmAbout::WebAddress)); }

void Form1::h_Click() { mp->ShowDialog(3); }

void Form1::scrs_Click()
{
    // An interval that is no number of seconds would leave the saver on its first, black screen.
    const std::optional<int> ms =
        SCRSET::CheckInterval(SettingsStore::GetSetting(QStringLiteral("scri"), QStringLiteral("2")), this);
    if (!ms)
        return;
    const long long effect = SettingsStore::GetNumber(QStringLiteral("effect"), 0);
    // The saver's load handles pending events: it may be gone by the time it would be shown.
    const QPointer<SCR1> saver = &SCR1::instance();
    if (!saver || !SCR1::isLoaded())
        return;
    saver->File1->setPath(Drives::nativeFolder(SettingsStore::GetSetting(QStringLiteral("scrd"), QStringLiteral("c:\\"))));
    saver->setInterval(*ms);
    saver->EffectIndex = effect >= -32768 && effect <= 32767 ? qint16(effect) : qint16(-1);
    saver->showModal();
}

void Form1::scrsets_Click() { SCRSET::instance().showModal(); }

void Form1::selecta_Click()
{
    Radio& radio = Radio::instance();
    radio.show();
    radio.raise();
    radio.activateWindow();
}

void Form1::PPs_Click() { Shower::instance().showModal(); }
void Form1::cp_Click() { Form3::showPlayer(); }

void Form1::dab_Click() { Dabs::instance().showModal(); }
