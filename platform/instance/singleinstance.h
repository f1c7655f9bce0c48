#pragma once
// One player at a time: the first start listens on a local socket of its own; a later start with the
// same key hands its message (a command line) to it and ends, so that two players never write over
// each other's files. The socket lies in the user's runtime folder ($XDG_RUNTIME_DIR, else a folder of
// the user's own in the temporary folder), named after the key.
#include <QByteArray>
#include <QString>
#include <functional>

namespace SingleInstance {

enum class Outcome {
    Alone,       // no other player runs: this one listens from now on
    HandedOver,  // the player that runs took the message: this start is done
    NoAnswer,    // a player runs but did not take the message in time
    Unguarded,   // no socket could be set up here: this start goes on as a player of its own
};

// The socket's path for `key` (what sets one player apart: its program folder and settings file), or
// the empty text with the reason in `error` when there is no runtime folder of the user's own.
QString socketPath(const QString& key, QString* error = nullptr);

// Hands `message` to the player that listens for `key`, or, when none does, becomes that player: from
// then on every message handed over comes to `received`, from the event loop. A socket left behind by
// a player that was killed does not count. Starts at the same moment are put in turn by a lock on a
// file beside the socket, so only one of them becomes the player. `error` tells why for NoAnswer and
// Unguarded. Needs a QCoreApplication.
Outcome claim(const QString& key, const QByteArray& message, std::function<void(const QByteArray&)> received,
              QString* error = nullptr);

// Stops listening: from now on a start becomes the player itself.
void release();

}  // namespace SingleInstance
