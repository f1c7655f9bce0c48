#pragma once
// The CD-audio device, driven by command strings:
//   "open cdaudio alias <name>"   opens the device of the first optical drive under an alias
//   "set <name> door open"        opens the drive's tray
//   "set <name> door closed"      closes it
//   "close <name>" / "close all"  forgets the alias
// Words are matched without regard to case; a trailing "wait" is accepted and changes nothing.
// With no optical drive, "open" fails and the others have no device to act on: nothing happens and
// nothing is reported beyond the returned error number.
#include <QString>

#include <functional>

namespace CdAudio {

enum Error {
    NoError = 0,
    UnrecognizedCommand = 1,  // a command this device does not carry out
    NoDevice = 2,             // no optical drive
    UnknownAlias = 3,         // no device is open under that name
    Failed = 4,               // the drive refused (no tray, not a drive but an image, no permission)
};

// Carries out one command string; returns NoError or the reason it was not done.
int mciSendString(const QString& command);

// The device an alias stands for, or the empty text when it is not open.
QString deviceOf(const QString& alias);

// Tests: tray movements go to `action` instead of the drive ("eject" or "close", and the device); its
// result is the drive's answer. An empty function restores the real drive.
using TrayAction = std::function<bool(const QString& action, const QString& device)>;
void setTrayActionForTests(TrayAction action);

}  // namespace CdAudio
