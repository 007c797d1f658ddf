// One line per moment of a press, for measuring where its time goes: "CaseSwitch PHASE TICKS",
// TICKS being QueryPerformanceCounter's reading. The lines go to OutputDebugStringA, which
// Windows shows in a debugger or DebugView and Wine prints with WINEDEBUG=+debugstr; without a
// listener a line costs some tens of microseconds.
#pragma once

namespace runtime {

void TracePhase(const char* phase);

} // namespace runtime
