#pragma once
// The start-up module: the program's entry and the values it holds for the whole run.
#include <QString>

namespace Module1 {

// The full path of the chosen language file, filled from setting "inifn" at start.
QString& LanguagePath();

// A file named on the command line that the main window's player opens while the window is built, so
// that its first frame is ready when the play step plays it; the window takes it (and empties it).
QString& StartupFile();

// The start-up road for a command line (the program's arguments joined by blanks): opens the window
// that the switches or setting "start" choose and feeds a named file into its list.
void Main(const QString& commandLine);

// Releases every window and ends the program at once.
void EndProgram();

// Creates the application, runs Main and the event loop; returns the exit code.
int run(int argc, char** argv);

}  // namespace Module1
