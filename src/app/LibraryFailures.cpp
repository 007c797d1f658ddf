// The standard library's failures in the program: memory that cannot be had, and the length and
// range errors its containers would throw, end in the runtime's fatal report, like every other
// condition the runtime cannot recover from. Nothing in the program catches an exception, so
// thrown they would only end the process silently; routed here they also keep the library's
// exception machinery (and the string and formatting code behind it) out of the executable.
// Linked into the executable only: the tests keep the library's own behaviour.
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <new>

#include "app/FatalError.h"

namespace {

std::int32_t ReportedSize(std::size_t byteCount) {
    return byteCount > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(byteCount);
}

void* AllocateOrReport(std::size_t byteCount) {
    void* block = std::malloc(byteCount == 0 ? 1 : byteCount);
    if (!block) runtime::ReportAllocationFailure(ReportedSize(byteCount));
    return block;
}

} // namespace

void* operator new(std::size_t byteCount) {
    return AllocateOrReport(byteCount);
}

void* operator new[](std::size_t byteCount) {
    return AllocateOrReport(byteCount);
}

void* operator new(std::size_t byteCount, const std::nothrow_t&) noexcept {
    return std::malloc(byteCount == 0 ? 1 : byteCount);
}

void* operator new[](std::size_t byteCount, const std::nothrow_t&) noexcept {
    return std::malloc(byteCount == 0 ? 1 : byteCount);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

#if defined(__GLIBCXX__)
#include <bits/functexcept.h>

// What libstdc++'s containers call where they would throw.
namespace std {

void __throw_bad_alloc() {
    runtime::ReportAllocationFailure(INT32_MAX);
}

void __throw_bad_array_new_length() {
    runtime::ReportAllocationFailure(INT32_MAX);
}

void __throw_length_error(const char* what) {
    runtime::ReportFatalError(what, 0, 0, 0);
}

void __throw_logic_error(const char* what) {
    runtime::ReportFatalError(what, 0, 0, 0);
}

void __throw_out_of_range_fmt(const char* what, ...) {
    runtime::ReportFatalError(what, 0, 0, 0);
}

} // namespace std
#endif
