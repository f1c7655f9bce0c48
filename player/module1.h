#pragma once
// The start-up module: the program's entry and the values it holds for the whole run.
#include <QString>

namespace Module1 {

// The full path of the chosen language file, filled from setting "inifn" at start.
QString& LanguagePath();

// Creates the application, runs Main and the event loop; returns the exit code.
int run(int argc, char** argv);

}  // namespace Module1
