#pragma once
// The CD-audio device, driven by command strings. <a> is the alias a device was opened under; positions
// are "mm:ss:ff" texts (minutes, seconds and frames of 1/75 second, two digits each) counted from the
// start of the disc as the drive counts them, so the first track of a disc usually starts at 00:02:00.
//
//   "open cdaudio alias <a>"          opens the device of the first optical drive under an alias
//   "close <a>" / "close all"         forgets the alias; the disc stops unless another alias still has it
//   "set <a> door open" / "closed"    opens or closes the drive's tray (an open tray stops the disc)
//   "status <a> number of tracks"     the disc's track count; none once the disc found at the open was
//                                     taken out or replaced, until the alias is opened again
//   "status <a> current track"        the track at the play position
//   "status <a> position"             the play position
//   "status <a> position track <n>"   where track n starts
//   "status <a> length"               the length of the whole disc
//   "status <a> length track <n>"     the length of track n
//   "status <a> mode"                 "playing", "paused", "stopped", "open" (tray open) or "not ready"
//   "play <a>"                        plays on from the play position to the end of the disc
//   "play <a> from <pos>"             plays from a position to the end of the disc
//   "pause <a>"                       holds the disc at the play position
//   "stop <a>"                        stops it there
//   "seek <a> to <pos>|start|end"     moves the play position there and stops
// Words are matched without regard to case; a trailing "wait" is accepted and changes nothing.
//
// The table of contents is read through libcdio from the drive or from a disc image (a CUE sheet and its
// BIN file), and the disc plays through libmpv as "cdda://" on that device. The one engine that plays
// discs is created by the first command that plays. With no optical drive, "open" fails and the others
// have no device to act on: nothing happens and nothing is reported beyond the returned error number.
#include <QString>

#include <functional>

namespace CdAudio {

enum Error {
    NoError = 0,
    UnrecognizedCommand = 1,  // a command this device does not carry out
    NoDevice = 2,             // no optical drive
    UnknownAlias = 3,         // no device is open under that name
    Failed = 4,               // the drive refused (no tray, not a drive but an image, no permission)
    NotReady = 5,             // no disc in the drive, or its tray is open
    OutOfRange = 6,           // a track or position the disc does not have
};

// Carries out one command string; returns NoError or the reason it was not done. A command that
// answers puts its answer into `result` (the empty text when it fails, which holds no number).
int mciSendString(const QString& command, QString* result = nullptr);

// The device an alias stands for, or the empty text when it is not open.
QString deviceOf(const QString& alias);

// Whether the engine that plays discs has been created.
bool hasEngine();

// Tests: tray movements go to `action` instead of the drive ("eject" or "close", and the device); its
// result is the drive's answer. An empty function restores the real drive.
using TrayAction = std::function<bool(const QString& action, const QString& device)>;
void setTrayActionForTests(TrayAction action);

// Tests: every command string, as it was sent, goes to `log` first. An empty function ends the log.
using CommandLog = std::function<void(const QString& command)>;
void setCommandLogForTests(CommandLog log);

}  // namespace CdAudio
