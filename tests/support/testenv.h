#pragma once
// Per-test surroundings: a temporary program folder, config folder and data folder, so that every test
// works on real files that nobody else sees.
#include "platform/keptvariables.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QByteArray>
#include <functional>
#include <optional>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QString root() const { return dir_.path(); }
    QString home() const;          // PELLUM_HOME: the program folder
    QString config() const;        // XDG_CONFIG_HOME
    QString settingsFile() const;  // the real zozid.ini of this test
    // A runtime folder of this test's own (made on first use, closed to others), for the player programs
    // it starts as XDG_RUNTIME_DIR: they never reach a player of the user's or of another test.
    QString runtime() const;
    QString path(const QString& name) const { return root() + QLatin1Char('/') + name; }

    // Write `bytes` to `name` below root() (folders created); returns the full path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& fullPath) const;

private:
    QTemporaryDir dir_;
};

// A RIFF/WAVE file of silence: mono, 16-bit, `rate` samples a second, `seconds` long.
QByteArray wavBytes(double seconds, int rate = 8000);
// Writes such a file and returns its path.
QString writeWav(const QString& path, double seconds, int rate = 8000);

// Writes an eight-second RealMedia clip (ac3 audio) with ffmpeg; false when ffmpeg is missing or fails.
bool writeRealMediaClip(const QString& path);
// Makes `path` with ffmpeg from the arguments that come before the output (e.g. "-f", "lavfi", "-i",
// "sine=duration=2"); returns false when ffmpeg is missing or fails.
bool writeMedia(const QString& path, const QStringList& ffmpegArgs);
// A colourful test picture (bars and a moving counter), `size` pixels, `seconds` long, H.264 in `path`.
bool writeTestVideo(const QString& path, double seconds, const QString& size = QStringLiteral("320x240"));

// How many times longer our own code may take in this build: PELLUM_TEST_TIME_SCALE, which the
// sanitizer build's ctest sets, else 1. Waits give up that many times later, and bounds on the speed of
// our code are that many times wider; what the suites ask of the results stays the same.
int timeScale();
inline int scaledMs(int ms) { return ms * timeScale(); }

// Processes events until `cond` holds or `ms` milliseconds (times timeScale()) have passed; returns
// whether it holds.
bool waitFor(const std::function<bool()>& cond, int ms = 8000);

// Runs this test program again under dbus-run-session, on a session bus of its own that ends with it, and
// returns its exit code; -1 when there is no dbus-run-session. The program's QCoreApplication must exist.
int rerunOnPrivateBus(int argc, char** argv);
// For a suite's main(), before its application: runs it again on a session bus of its own, as above, and
// gives that run's exit code. Gives nothing in that second run, and when there is no dbus-run-session (the
// suite then goes on here with no session bus at all, so that nothing reaches the user's desktop).
std::optional<int> onPrivateBus(int argc, char** argv);
