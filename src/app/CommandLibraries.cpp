#include "runtime/CommandLibraries.h"

#include "app/LibraryServices.h"
#include "caseswitch/clipboard/ClipboardExchangeEnd.h"

namespace runtime {
namespace {

ServiceCallback libraryCallbacks[3] = {nullptr, nullptr, nullptr};

template <LibraryId Id> std::int32_t NotifyLibrary(std::int32_t code, std::intptr_t value, std::intptr_t) {
    if (code == kLibraryStart) {
        libraryCallbacks[static_cast<int>(Id)] = reinterpret_cast<ServiceCallback>(value);
        return 0;
    }
    // The user's clipboard content goes back before the program ends, also in the middle of a
    // press; nothing else a library keeps must be given back.
    if (code == kLibraryEnd && Id == LibraryId::Extension) FinishClipboardExchange();
    return kNotHandled;
}

} // namespace

const CommandLibrary kCoreLibrary = {"core", &NotifyLibrary<LibraryId::Core>};
const CommandLibrary kExtensionLibrary = {"extension", &NotifyLibrary<LibraryId::Extension>};
const CommandLibrary kInterfaceLibrary = {"interface", &NotifyLibrary<LibraryId::Interface>};

ServiceCallback LibraryCallback(LibraryId library) {
    return libraryCallbacks[static_cast<int>(library)];
}

std::intptr_t CallService(LibraryId library, std::int32_t service, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    ServiceCallback callback = LibraryCallback(library);
    return callback ? callback(service, a, b, c) : 0;
}

} // namespace runtime
