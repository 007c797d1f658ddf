// Registry commands of the extension library. Each names its target by a root number (1 classes
// root, 2 current config, 3 current user, 4 local machine, 5 users, anything else current user)
// and one path text "key\subkey\...\value-name"; each opens what it needs, acts and closes again
// before it returns. They never raise a failure: the result says whether the operation happened,
// and the optional error out parameter receives the Win32 error code behind a false result
// (0 after success), for callers that tell the user why.
#pragma once

#include <cstdint>

#include "runtime/Runtime.h"

namespace runtime {

// The Win32 error codes a caller may want to tell apart, without windows.h.
inline constexpr std::uint32_t kRegistryErrorFileNotFound = 2; // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kRegistryErrorAccessDenied = 5; // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kRegistryErrorCancelled = 1223; // ERROR_CANCELLED: the user declined

enum class RegistryValueKind { Text, Number, Bytes };

// A value to store. It refers to the caller's text or bytes, which must stay alive until the
// write returns; a number is converted to its 32-bit stored form when the value is made.
struct RegistryValue {
    RegistryValueKind kind = RegistryValueKind::Text;
    const char* text = nullptr; // Text: null is the empty text
    std::uint32_t number = 0;   // Number: the REG_DWORD data
    const std::uint8_t* bytes = nullptr;
    std::uint32_t byteCount = 0; // Bytes
};

// Text: REG_SZ with its terminating NUL.
RegistryValue TextValue(const char* text);
// Numbers of the runtime's numeric kinds, all stored as REG_DWORD: a byte is zero-extended, a
// 16-bit integer sign-extended, a 64-bit integer keeps its low 32 bits, and a floating-point
// number is truncated toward zero to a 64-bit integer whose low 32 bits are kept (NaN and
// values outside the 64-bit range give 0).
RegistryValue NumberValue(std::uint8_t number);
RegistryValue NumberValue(std::int16_t number);
RegistryValue NumberValue(std::int32_t number);
RegistryValue NumberValue(std::int64_t number);
RegistryValue NumberValue(float number);
RegistryValue NumberValue(double number);
// Byte block: REG_BINARY of exactly byteCount bytes (0 is allowed).
RegistryValue BytesValue(const void* bytes, std::uint32_t byteCount);

// Stores the value, creating every missing key along the key path. True exactly when the value
// was stored.
bool WriteRegistryValue(std::int32_t rootNumber, const char* path, const RegistryValue& value,
                        std::uint32_t* error = nullptr);

// Deletes the value; failing that, deletes a key named by the whole path. True when either was
// deleted. The error reported is the value deletion's, unless that found no key or value, in which
// case it is the key deletion's.
bool DeleteRegistryItem(std::int32_t rootNumber, const char* path, std::uint32_t* error = nullptr);

// True when the value exists, whatever its type and size (an empty REG_BINARY counts). A key of
// that path is not a value.
bool RegistryValueExists(std::int32_t rootNumber, const char* path, std::uint32_t* error = nullptr);

// The data of a REG_SZ or REG_EXPAND_SZ value (unexpanded), a new text owned by the caller; null
// for a value of another type, an empty one, or none.
Text ReadRegistryText(std::int32_t rootNumber, const char* path);

// The same changes made as an administrator, for a caller that was refused for lack of rights:
// Windows' own reg.exe is started with the runas verb, so that Windows asks the user's consent (or
// an administrator's password) for this one change alone, in the 32-bit registry view. While it
// runs, `window` takes no input but is painted and answered, and hot keys go on working. True when
// reg.exe reported success; kRegistryErrorCancelled when the user declined.
bool WriteRegistryTextAsAdministrator(std::int32_t rootNumber, const char* path, const char* text, WindowHandle window,
                                      std::uint32_t* error = nullptr);
bool DeleteRegistryValueAsAdministrator(std::int32_t rootNumber, const char* path, WindowHandle window,
                                        std::uint32_t* error = nullptr);

} // namespace runtime
