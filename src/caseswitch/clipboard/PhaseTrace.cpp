#include "caseswitch/clipboard/PhaseTrace.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace runtime {
namespace {

struct Moment {
    const char* phase;
    LONGLONG ticks;
};

// A press notes about ten moments; a press that ends early (a console in front, keys held too
// long) leaves its moments to go out with the next press's.
constexpr std::size_t kMostMoments = 32;
Moment moments[kMostMoments];
std::size_t momentCount = 0;

void Write(const Moment& moment) {
    char line[64] = "CaseSwitch ";
    std::size_t length = std::strlen(line);
    for (const char* c = moment.phase; *c && length < 40; ++c)
        line[length++] = *c;
    line[length++] = ' ';
    // The digits backwards into a scratch buffer, then forwards into the line.
    char digits[24];
    std::size_t count = 0;
    unsigned long long ticks = static_cast<unsigned long long>(moment.ticks);
    do {
        digits[count++] = static_cast<char>('0' + ticks % 10);
        ticks /= 10;
    } while (ticks != 0);
    while (count > 0)
        line[length++] = digits[--count];
    line[length++] = '\n';
    line[length] = '\0';
    OutputDebugStringA(line);
}

} // namespace

void TracePhase(const char* phase) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (momentCount == kMostMoments) momentCount = 0; // moments that never reached an "over" give way
    moments[momentCount++] = {phase, now.QuadPart};
    if (std::strcmp(phase, "over") != 0) return;
    for (std::size_t i = 0; i < momentCount; ++i)
        Write(moments[i]);
    momentCount = 0;
}

} // namespace runtime
