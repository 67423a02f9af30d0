// Waits that keep the user interface alive: they dispatch the thread's
// messages through the framework's pump and block on the queue in between,
// never spinning. WM_QUIT met inside a wait is posted again.
#pragma once

#include "platform/types.h"

#include <functional>

// Dispatches messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);

// Dispatches messages while keepWaiting() holds, for at most ms
// milliseconds (tick count arithmetic, so the counter's wrap does not
// matter). FALSE when the wait met WM_QUIT.
bool PumpMessagesWhile(DWORD ms, const std::function<bool()>& keepWaiting);
