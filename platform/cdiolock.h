#pragma once
// libcdio keeps state of its own that two threads must not use at once: its log, and the reader of cue
// sheets. The media engine reads discs through it on threads of its own, so every use of libcdio in this
// program holds this lock, and the engine holds it while it opens a disc.
#include <mutex>

inline std::recursive_mutex& cdioLock()
{
    static std::recursive_mutex lock;
    return lock;
}
