// The case switch: Ctrl+CapsLock copies the selection, converts it and pastes it back.
#include <cstdint>

#include "app/ProgramHandlers.h"
#include "runtime/ClipboardCommands.h"
#include "runtime/HotKeyCommands.h"
#include "runtime/KeyCommands.h"
#include "runtime/Runtime.h"
#include "runtime/TextCommands.h"

namespace program {
namespace {

std::int32_t hotKeyId = 0;
runtime::Text savedClipboardText = nullptr;
runtime::Text copiedSelection = nullptr;

constexpr std::int32_t kCtrlModifierSet = 1;
constexpr std::int32_t kCapsLockKey = 0x14;
constexpr std::int32_t kControlKey = 0x11;
constexpr std::int32_t kLetterC = 0x43;
constexpr std::int32_t kLetterV = 0x56;

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

void Keep(runtime::Text& kept, runtime::Text text) {
    runtime::ReleaseMemory(kept);
    kept = text;
}

} // namespace

void HotKeyStep() {
    runtime::WindowHandle mainWindow = runtime::GetWindowHandle(kMainWindowId, kMainWindowElementId);
    runtime::WindowHandle noteLabel = runtime::GetWindowHandle(kMainWindowId, kHotKeyNoteLabelId);
    hotKeyId = runtime::RegisterGlobalHotKey(mainWindow, noteLabel, kCtrlModifierSet, kCapsLockKey);
}

void CaseSwitchAction(std::int32_t first, std::int32_t) {
    if (first != hotKeyId) return;
    Keep(savedClipboardText, runtime::GetClipboardText());
    runtime::SimulateKeys(kControlKey, kLetterC);
    Keep(copiedSelection, runtime::GetClipboardText());
    const std::int32_t code = runtime::GetCharCode(OrEmpty(copiedSelection), 2);
    runtime::Text converted = code >= 'A' && code <= 'Z' ? runtime::ToLowerCase(OrEmpty(copiedSelection))
                                                         : runtime::ToUpperCase(OrEmpty(copiedSelection));
    runtime::SetClipboardText(OrEmpty(converted));
    runtime::ReleaseMemory(converted);
    runtime::SimulateKeys(kControlKey, kLetterV);
    runtime::SetClipboardText(OrEmpty(savedClipboardText));
}

void ReleaseKeptTexts() {
    runtime::ReleaseMemory(savedClipboardText);
    savedClipboardText = nullptr;
    runtime::ReleaseMemory(copiedSelection);
    copiedSelection = nullptr;
}

} // namespace program
