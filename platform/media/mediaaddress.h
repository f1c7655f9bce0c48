#pragma once
// Which names the playback engine may open, and in which form. Every load goes through here, and so
// does every entry of a play list that the engine expands by itself: rows come from list files written
// elsewhere, and the engine would otherwise also open its own protocols (generated streams, file
// descriptors, standard input, memory, edit lists...).
#include <QString>

namespace MediaAddress {

// The form of `name` to give the engine, or the empty text when it must not be opened.
// - A local file, written as a plain path (relative to the working folder) or as a file:// address,
//   comes back as an absolute path, which the engine cannot take for a protocol or for standard input.
//   A file:// address names the file of its literal text when that exists, else the decoded address.
// - A stream address of the kinds the player opens (http, https, mms, mmsh, mmst, rtsp, rtmp, rtmps)
//   and an audio-CD address (cdda) come back as they are, the scheme in small letters.
// - Any other "scheme://" address is refused.
QString engineName(const QString& name);

// Whether the engine may open `name` as it stands: an absolute path, a file:// address or an address
// of an allowed kind. For names the engine made itself (entries of a play list it read).
bool engineMayOpen(const QString& name);

}  // namespace MediaAddress
