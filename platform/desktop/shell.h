#pragma once
// Opening documents and addresses, and starting the desktop's mixer, text editor and file manager.
// Programs are started with an argument list, never through a shell.
#include <QString>
#include <QStringList>

#include <functional>

namespace Shell {

// Opens a file or folder with the desktop's default program, or an address with a scheme
// (http:, https:, mailto:, ...) with the program for that scheme.
bool openDocument(const QString& pathOrAddress);

// Starts the desktop's volume mixer: the first found of pavucontrol, gnome-control-center (sound page),
// pavucontrol-qt, kmix, xfce4-mixer; else alsamixer in a terminal. On failure `why` says, for the user,
// what is missing or could not be started.
bool startMixer(QString* why = nullptr);

// Opens `file` in the first found of the usual desktop text editors; else with the default program for
// the file. Editors offer no common way to open maximised, so `maximised` leaves the window state to the
// editor.
bool startTextEditor(const QString& file, bool maximised = false);

// Shows `folder` in the desktop's file manager: through the desktop's opener (xdg-open), else the first
// found of the usual file managers. On failure `why` says, for the user, what is missing.
bool openFileManager(const QString& folder, QString* why = nullptr);

// Starts `program` with `args`, detached. Returns whether it started; a failure is logged.
bool start(const QString& program, const QStringList& args);

// The program name the launcher is given when a document or address is opened through the desktop; the
// single argument is the URL.
inline constexpr const char* kOpenUrl = "open-url";

// Tests: every start (and every URL opened) goes to `launcher` instead; an empty function restores the
// real behaviour.
using Launcher = std::function<bool(const QString& program, const QStringList& args)>;
void setLauncherForTests(Launcher launcher);

}  // namespace Shell
