#pragma once
// The start-up module: the program's entry and the values it holds for the whole run.
#include "platform/instance/singleinstance.h"

#include <QByteArray>
#include <QString>
#include <functional>

class ListBox;

namespace Module1 {

// The full path of the chosen language file, filled from setting "inifn" at start.
QString& LanguagePath();

// A file named on the command line that the main window's player opens while the window is built, so
// that its first frame is ready when the play step plays it; the window takes it (and empties it).
QString& StartupFile();

// The start-up road for a command line (the program's arguments joined by blanks): opens the window
// that the switches or setting "start" choose and feeds a named file into its list.
void Main(const QString& commandLine);

// One player at a time for the user, the program folder and the settings file, settled before any window
// is made or any file read: hands `commandLine` (the program's arguments joined by blanks, in their own
// bytes; a file named relative to this start's working folder is named from the root) to the player that
// runs, or becomes that player. Such a player takes what later starts hand over as its own command line
// would be taken, in the mode in use: a file joins that mode's list and plays, "/J" shows the compact
// player (the main window hands its list over as "Show Pellum!" does), "/C" shows the CD player, and an
// empty command line brings the player's window to the front, as does a file.
SingleInstance::Outcome ClaimPlayer(const QByteArray& commandLine);

// Releases every window and ends the program at once.
void EndProgram();

// The mode in use: the list it plays from and its exit road. Main chooses it and the hand-over changes
// it (UseMainWindow, UseCompactPlayer). A moment after every change the list is written to afore.pellum
// by the exit's own whole-file writer, so that a session that ends with no exit at all (a lost display)
// keeps it too.
void SetModeInUse(ListBox* list, std::function<void()> exit);
// The main window (List1, its exit menu's road) or the compact player (its list window's List1, Power).
void UseMainWindow();
void UseCompactPlayer();
// Runs the exit road of the mode in use; with no mode, ends the program.
void ExitModeInUse();
// The desktop session ends (a signal or the session manager): runs the exit of the mode in use, which
// may show a message only where `mayAsk` says so.
void EndSession(const std::function<bool()>& mayAsk);
// Whether the exit road may show a message now: yes, but while the session ends only when its manager
// lets the program interact.
bool MayAskUser();
// How long the list of the mode in use rests unchanged before it is written (milliseconds).
constexpr int ListWriteDelay = 1000;

// Creates the application, runs Main and the event loop; returns the exit code.
int run(int argc, char** argv);

}  // namespace Module1
