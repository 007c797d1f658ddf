// The program layer's own routines and the identifiers of its one window. Included only by
// program-layer files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/Runtime.h"

namespace program {

inline constexpr std::uint32_t kMainWindowId = 0x52010001;
inline constexpr std::uint32_t kMainWindowElementId = 0x06010000;
inline constexpr std::uint32_t kAuthorLabelId = 0x16010045;
inline constexpr std::uint32_t kAutostartCheckBoxId = 0x16010043;
inline constexpr std::uint32_t kHideToTrayButtonId = 0x1601002A;
inline constexpr std::uint32_t kHotKeyNoteLabelId = 0x16010002;

// Positions in the program's routine table; the window description refers to handlers by these.
enum RoutineIndex : std::size_t {
    kMainWindowCreatedRoutine = 0,
    kRestoreFromTrayRoutine,
    kToggleAutostartRoutine,
    kHideToTrayRoutine,
    kCaseSwitchActionRoutine,
    kRoutineCount,
};

int ProgramStart();

// The five handlers bound by the window description.
void MainWindowCreated();
void RestoreFromTray(std::int32_t trayEventType);
void ToggleAutostart();
void HideToTray();
void CaseSwitchAction(std::int32_t first, std::int32_t second);

// The two steps of the main window's creation handler, in the order it runs them.
void HotKeyStep();
void AutostartStep();

// The exit routine.
void ReleaseKeptTexts();

// All the texts one after the other, as a new text; always a result (missing texts count as empty).
runtime::Text JoinTexts(std::int32_t count, const char* const* texts);

} // namespace program
