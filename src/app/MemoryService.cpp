#include <windows.h>

#include <cstring>

#include "app/FatalError.h"
#include "app/RuntimeApp.h"
#include "runtime/Runtime.h"

namespace runtime {

void ReportAllocationFailure(std::int32_t byteCount) noexcept {
    char message[64];
    wsprintfA(message, "分配 %d 字节内存失败!", static_cast<int>(byteCount));
    ReportFatalError(message, 0, 0, 0);
}

void* AllocateMemory(std::int32_t byteCount) {
    // A negative count is as impossible as an enormous one; HeapAlloc would read it as huge.
    void* block = byteCount < 0 ? nullptr : HeapAlloc(RuntimeApp::Get().Heap(), 0, static_cast<SIZE_T>(byteCount));
    if (!block) ReportAllocationFailure(byteCount);
    return block;
}

void* ReallocateMemory(void* block, std::int32_t byteCount) {
    RuntimeApp& app = RuntimeApp::Get();
    if (!block) return AllocateMemory(byteCount);
    if (app.IsConstant(block)) {
        void* fresh = AllocateMemory(byteCount);
        const std::int32_t available = app.ConstantBlockRemainder(block);
        std::memcpy(fresh, block, static_cast<std::size_t>(byteCount < available ? byteCount : available));
        return fresh;
    }
    void* resized = byteCount < 0 ? nullptr : HeapReAlloc(app.Heap(), 0, block, static_cast<SIZE_T>(byteCount));
    if (!resized) ReportAllocationFailure(byteCount);
    return resized;
}

void ReleaseMemory(void* block) {
    RuntimeApp& app = RuntimeApp::Get();
    if (!block || app.IsConstant(block)) return;
    HeapFree(app.Heap(), 0, block);
}

} // namespace runtime
