#include <windows.h>

#include "app/LibraryServices.h"
#include "autostart/MessageBoxRules.h"
#include "runtime/MessageBoxCommands.h"

namespace runtime {
namespace {

constexpr char kDefaultCaption[] = "信息：";

} // namespace

WindowHandle MessageBoxOwner::Resolve() const {
    switch (kind) {
    case Kind::None:
        return nullptr;
    case Kind::Element:
        return reinterpret_cast<WindowHandle>(CallService(LibraryId::Core, service::kElementHandle,
                                                          static_cast<std::intptr_t>(windowId),
                                                          static_cast<std::intptr_t>(elementId)));
    case Kind::Handle:
        return handle;
    }
    return nullptr;
}

std::int32_t ShowMessageBox(const char* message, std::int32_t style, const char* caption, MessageBoxOwner owner) {
    const int result = MessageBoxA(owner.Resolve(), message != nullptr ? message : "",
                                   caption != nullptr ? caption : kDefaultCaption, MessageBoxStyle(style));
    return ButtonIndexFromResult(result);
}

} // namespace runtime
