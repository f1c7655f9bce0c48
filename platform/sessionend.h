#pragma once
// The end of the desktop session as one call on the event loop: SIGTERM and SIGHUP (whose handler only
// wakes the loop) and the session manager's request to save at logout.
#include <functional>

namespace SessionEnd {

// From now on `ends` runs on the GUI thread, from the event loop, whenever the session ends. Its argument
// says whether the user may be asked something: never after a signal; at the session manager's request
// as far as the manager lets the program interact (asked only when called). A QGuiApplication must exist.
void watch(std::function<void(const std::function<bool()>& mayAsk)> ends);

}  // namespace SessionEnd
