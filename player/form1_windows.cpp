// Main window commands that open other windows and programs.
#include "player/form1.h"

#include "platform/desktop/shell.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "player/compact/find.h"
#include "player/form7.h"
#include "player/frmabout.h"

void Form1::lan_Click() { Form7::instance().showModal(); }

void Form1::abbo_Click() { frmAbout::instance().showModal(); }

void Form1::ms_Click() { find::instance().show(); }

// A program that cannot be started is logged by the shell and otherwise ignored.
void Form1::vol_Click() { Shell::startMixer(); }

void Form1::rm_Click() { Shell::startTextEditor(ProgramFolder::file(QStringLiteral("readme.txt")), true); }

void Form1::web_Click() { Shell::openDocument(QString::fromLatin1(frmAbout::WebAddress)); }

void Form1::h_Click() { mp->ShowDialog(3); }
