#pragma once
// The X root window's background picture, set the way X wallpaper setters set it.
#include <QImage>
#include <QString>

namespace XRootPicture {

enum Result { Set, NoDisplay, Refused };

// Shows `picture`, fitted to the screen with its proportions kept and centred on black, as the
// background of the root window of the display named by DISPLAY. The pixmap outlives our connection
// (close-down mode RetainPermanent) and is named in _XROOTPMAP_ID and ESETROOT_PMAP_ID, where
// compositors and see-through terminals read the wallpaper; the pixmap a setter left there before is
// freed. `error` says what the server refused.
Result set(const QImage& picture, QString* error);

}  // namespace XRootPicture
