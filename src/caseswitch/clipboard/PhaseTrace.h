// One line per moment of a press, for measuring where its time goes: "CaseSwitch PHASE TICKS",
// TICKS being QueryPerformanceCounter's reading at that moment. The lines go to OutputDebugStringA,
// which Windows shows in a debugger or DebugView and Wine prints with WINEDEBUG=+debugstr.
// Writing a line costs some tens of microseconds under Wine, as much as a press's own steps: the
// moments are noted in memory and written together once the press is over.
#pragma once

namespace runtime {

// Notes the moment; "over" writes out every moment noted since the last "over".
void TracePhase(const char* phase);

} // namespace runtime
