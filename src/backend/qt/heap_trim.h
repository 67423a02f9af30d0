#pragma once

// Gives the heap's free pages back to the system now and then.

#include <QObject>
#include <chrono>

namespace qv::qt {

// While `owner` lives, every `period`: the engine's browser side allocates and
// frees megabytes in this process at each page load, and the C library keeps
// what was freed in the middle of its heap for good. Does nothing where the C
// library offers no way to give it back.
void StartHeapTrimming(QObject* owner, std::chrono::milliseconds period);

} // namespace qv::qt
