// The executable's entry. The program layer supplies its description record.
#include <windows.h>

#include "app/ProcessEntry.h"

extern const runtime::ProgramDescription kProgramDescription;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return runtime::RunProgram(kProgramDescription);
}
