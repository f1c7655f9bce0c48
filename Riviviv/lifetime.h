#pragma once
// What keeps the library in use: live controls and references to its class factory.
#include <atomic>

namespace Brimlet {
inline std::atomic<int> liveControls{0};
inline std::atomic<int> factoryReferences{0};
}  // namespace Brimlet
