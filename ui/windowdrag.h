#pragma once
// A part of a window that carries the window when dragged, as a title bar does: after a press with the
// left button, each move with it still held moves the window by as much as the pointer went. Nothing
// moves before the first motion, and nothing after the release, so a quick click (press and release
// together) leaves the window where it is and the next click reaches the program.
class QWidget;

namespace WindowDrag {

// Makes `handle` carry its window. The handle keeps its own press, move and click behaviour.
void attach(QWidget* handle);

}  // namespace WindowDrag
