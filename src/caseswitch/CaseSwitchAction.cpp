// The case-switch action: the hot-key step of the main window's creation handler, the handler of
// the hot-key note label's feedback event, and the exit routine that releases the kept texts.
#include "app/ProgramHandlers.h"
#include "runtime/CaseSwitchCommands.h"
#include "runtime/HotKeyCommands.h"
#include "runtime/KeyCommands.h"
#include "runtime/MessageBoxCommands.h"
#include "runtime/RunningCopyCommands.h"
#include "runtime/Runtime.h"
#include "runtime/TextCommands.h"

namespace program {
namespace {

std::int32_t hotKeyId = 0;
runtime::Text savedClipboardText = nullptr;
runtime::Text copiedSelection = nullptr;

constexpr std::int32_t kModifierSetCtrl = 1;
constexpr std::int32_t kControlKey = 0x11;
constexpr std::int32_t kCapsLockKey = 20;
constexpr std::int32_t kCopyKey = 0x43;
constexpr std::int32_t kPasteKey = 0x56;
constexpr std::int32_t kDirectionBytePosition = 2;
constexpr std::int32_t kWarningIcon = 0x30;     // MB_ICONWARNING
constexpr std::int32_t kInformationIcon = 0x40; // MB_ICONINFORMATION

// The physical release of the hot key must not land among the injected keystrokes: a Ctrl let go
// between them turns the paste into a typed "V".
constexpr std::int32_t kReleaseWaitMilliseconds = 2000;
// Programs copy within a few milliseconds, a busy one within a second or two. A copy that comes
// later still is noticed, and the earlier content put back over it.
constexpr std::int32_t kCopyWaitMilliseconds = 5000;
// A program recalculating, saving or working over a remote session may take this long to paste;
// the earlier content goes back only after the paste, or after this long without one.
constexpr std::int32_t kPasteWaitMilliseconds = 30000;

void Keep(runtime::Text& kept, runtime::Text replacement) {
    runtime::ReleaseMemory(kept);
    kept = replacement;
}

} // namespace

void HotKeyStep() {
    runtime::WindowHandle mainWindow = runtime::GetWindowHandle(kMainWindowId, kMainWindowElementId);
    runtime::WindowHandle noteLabel = runtime::GetWindowHandle(kMainWindowId, kHotKeyNoteLabelId);
    hotKeyId = runtime::RegisterGlobalHotKey(mainWindow, noteLabel, kModifierSetCtrl, kCapsLockKey);
    if (hotKeyId != 0) return;
    // Without the hot key this copy can do nothing; the user should know why. Mostly the holder is
    // this program itself, hidden in the notification area since log-on.
    const runtime::WindowHandle runningCopy = runtime::FindRunningCopy(mainWindow);
    if (runningCopy == nullptr) {
        runtime::ShowMessageBox("Ctrl+CapsLock 热键已被其他程序占用，本程序无法切换大小写。", kWarningIcon, "信息：");
        return;
    }
    runtime::ShowMessageBox("切换大小写已在运行，Ctrl+CapsLock 由它使用。点“确定”后显示它的窗口。", kInformationIcon,
                            "信息：");
    runtime::ShowRunningCopy(runningCopy);
}

namespace {

// The second half of a press, run once the copy has arrived (or its wait is over). Whatever it
// leaves undone, the exchange puts the earlier content back.
void PasteConverted(runtime::ClipboardExchange& exchange) {
    // Nothing copied: nothing is pasted, and the clipboard goes back.
    if (!exchange.Copied()) return;
    Keep(copiedSelection, exchange.TakeCopiedText());
    // No text, or content that plain text cannot stand for (a spreadsheet's cells, a code editor's
    // whole-line copy, files): nothing is pasted, and the clipboard goes back.
    if (copiedSelection == nullptr || !exchange.CopyIsText()) return;

    const std::int32_t code = runtime::GetCharCode(copiedSelection, kDirectionBytePosition);
    const bool toLower = code >= 65 && code <= 90;
    runtime::Text converted = toLower ? runtime::ToLowerCase(copiedSelection) : runtime::ToUpperCase(copiedSelection);
    const bool offered = exchange.OfferConverted(converted ? converted : "", toLower);
    runtime::ReleaseMemory(converted);

    // The paste goes only to the field the copy came from.
    if (offered && exchange.SameFocus()) {
        runtime::SimulateKeys(kControlKey, kPasteKey);
        exchange.AwaitPaste(kPasteWaitMilliseconds);
    }
}

} // namespace

void CaseSwitchAction(std::int32_t first, std::int32_t second) {
    static_cast<void>(second);
    // 0 is no hot key at all: a refused registration must not make the label's events act.
    if (hotKeyId == 0 || first != hotKeyId) return;
    // Windows flipped Caps Lock for this press before it saw the hot key. Every press puts it back,
    // once the keys are up: a Caps Lock tap while Ctrl is still held would be the hot key again.
    if (!runtime::WaitForKeysReleased(kControlKey, kCapsLockKey, kReleaseWaitMilliseconds)) return;
    const std::int32_t capsLockBack = runtime::CapsLockRestoreKey();
    // A console takes Ctrl+C for an interrupt and runs what is pasted at its prompt.
    if (runtime::ForegroundIsConsole()) {
        runtime::SimulateKeys(capsLockBack);
        return;
    }
    // One press, one action: while an earlier press's exchange is under way this one does nothing.
    runtime::ClipboardExchange* exchange = runtime::BeginClipboardExchange();
    if (exchange == nullptr) {
        runtime::SimulateKeys(capsLockBack);
        return;
    }
    // A clipboard that stays busy: no keystrokes, no writes.
    if (!exchange->SaveClipboard()) {
        runtime::SimulateKeys(capsLockBack);
        exchange->RestoreClipboard();
        return;
    }
    Keep(savedClipboardText, exchange->TakeSavedText());

    runtime::SimulateKeysAfterTap(capsLockBack, kControlKey, kCopyKey);
    exchange->AwaitCopy(kCopyWaitMilliseconds, &PasteConverted);
}

void ReleaseKeptTexts() {
    runtime::ReleaseMemory(savedClipboardText);
    savedClipboardText = nullptr;
    runtime::ReleaseMemory(copiedSelection);
    copiedSelection = nullptr;
}

} // namespace program
