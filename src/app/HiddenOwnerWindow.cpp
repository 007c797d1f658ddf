#include "app/HiddenOwnerWindow.h"

#include "app/RuntimeApp.h"

namespace runtime {
namespace {

constexpr char kHiddenOwnerClass[] = "FormHiddenOwner";

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEndProgramMessage) {
        RuntimeApp::Get().EndProgram(static_cast<UINT>(wParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateHiddenOwnerWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(instance, kHiddenOwnerClass, &windowClass)) {
        windowClass.style = 0;
        windowClass.lpfnWndProc = &HiddenOwnerProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        windowClass.lpszClassName = kHiddenOwnerClass;
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

} // namespace runtime
