#pragma once
#include <QString>

namespace ProgramFolder {

// The program folder: $PELLUM_HOME when set, else $XDG_DATA_HOME/PellumPlayer
// (default ~/.local/share/PellumPlayer). Created on first use and seeded with the shipped readme.txt.
QString path();

// `name` inside the program folder.
QString file(const QString& name);

// Resolve the folder again from the environment on the next call (tests).
void reset();

}  // namespace ProgramFolder
