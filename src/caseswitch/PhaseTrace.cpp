#include "caseswitch/PhaseTrace.h"

#include <windows.h>

#include <cstddef>

namespace runtime {

void TracePhase(const char* phase) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char line[64] = "CaseSwitch ";
    std::size_t length = lstrlenA(line);
    for (const char* c = phase; *c && length < 40; ++c)
        line[length++] = *c;
    line[length++] = ' ';
    // The digits backwards into a scratch buffer, then forwards into the line.
    char digits[24];
    std::size_t count = 0;
    unsigned long long ticks = static_cast<unsigned long long>(now.QuadPart);
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

} // namespace runtime
