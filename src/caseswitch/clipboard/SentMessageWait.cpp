#include "caseswitch/clipboard/SentMessageWait.h"

namespace runtime {

void HandleSentMessages() {
    // PM_QS_SENDMESSAGE makes PeekMessage deliver pending sent messages and report no posted one;
    // PM_NOREMOVE leaves the queue as it is.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

ULONGLONG NowMilliseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const ULONGLONG ticks = static_cast<ULONGLONG>(now.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

} // namespace runtime
