#include <cstring>

#include "app/LibraryServices.h"
#include "runtime/LocationCommands.h"

namespace runtime {
namespace {

Text CopyKeptText(std::int32_t service) {
    const auto* kept = reinterpret_cast<const char*>(CallService(LibraryId::Core, service));
    if (kept == nullptr || *kept == '\0') return nullptr;
    const std::size_t length = std::strlen(kept);
    auto* copy = static_cast<Text>(AllocateMemory(BlockCount(length + 1)));
    std::memcpy(copy, kept, length + 1);
    return copy;
}

} // namespace

Text GetRunDirectory() {
    return CopyKeptText(service::kRunDirectory);
}

Text GetExecutableName() {
    return CopyKeptText(service::kExecutableName);
}

} // namespace runtime
