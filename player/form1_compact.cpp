// The main window's side of the hand-over to and from the compact mode.
#include "player/form1.h"

#include "platform/media/mediaplayer.h"
#include "player/compact/form6.h"
#include "player/compact/pellum.h"
#include "player/module1.h"

void Form1::sj_Click()
{
    // The first use creates the compact windows; the list window's load takes CurrentIndex.
    pellum& compact = pellum::instance();
    compact.Label7->setText(mp->FileName());
    compact.show();
    compact.raise();
    // Shown again later, a window the window manager once placed is placed anew unless told where.
    HandOverPlace = isVisible() ? std::optional<QPoint>(geometry().topLeft()) : std::nullopt;
    hide();
    Module1::UseCompactPlayer();
    compact.imf();
    compact.marquee();
}

void Form1::imf2()
{
    List1->Clear();
    List2->Clear();
    List1->AddItems(Form6::instance().List1->items());
    REL();
    RefreshRecentMenu();
}
