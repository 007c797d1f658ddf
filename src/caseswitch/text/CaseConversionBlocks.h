// What every way through the conversion shares: the byte rule for the bytes before and after the
// vector blocks, and how a block's trail bytes are found.
//
// Every path works out, for a block of bytes, which bytes are second bytes of a double-byte
// character ("trail" bytes) and carries one flag to the next block: whether its first byte is one.
// A byte from 0x80 up that is not itself a trail opens a character, so inside a run of such bytes
// the trails are every other byte, counted from where the run really begins; only the byte right
// after a run can be an ASCII letter that must be left alone, and it is a trail exactly when the
// run (counted from its first lead) has odd length. Odd-length runs are found with one addition:
// adding 1 at a run's first byte carries through the whole run and lands on the byte after it.
#pragma once

#include "caseswitch/text/CaseConversion.h"

#include <cstddef>
#include <cstdint>

// The helpers of the vector loops belong in their bodies: a call per round would cost more than
// the helper itself, and the program is built for size, where the compiler would keep the calls.
#if defined(__GNUC__)
#define CASESWITCH_IN_LOOP [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define CASESWITCH_IN_LOOP __forceinline
#else
#define CASESWITCH_IN_LOOP inline
#endif

#if CASESWITCH_SSE2_AT_RUN_TIME
// Window procedures and other callbacks may be entered with the stack aligned to 4 bytes only;
// the vector entry points align it themselves.
#define CASESWITCH_VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define CASESWITCH_VECTOR_ENTRY
#endif

namespace runtime::conversion::detail {

inline unsigned char FirstLetter(LetterCase letterCase) {
    return letterCase == LetterCase::Upper ? 'a' : 'A';
}

inline const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

inline unsigned char* Bytes(char* text) {
    return reinterpret_cast<unsigned char*>(text);
}

// The rule itself, byte by byte; also the head and tail of the faster paths. `first` is the first
// letter that changes ('a' or 'A'). Returns whether the byte after the block would be a trail byte.
bool ConvertTail(unsigned char first, const unsigned char* source, std::size_t length, unsigned char* target,
                 bool trail);

// The word path's eight-byte blocks, then the bytes after the last whole block.
void ConvertWordsAndTail(unsigned char first, const unsigned char* source, std::size_t length, unsigned char* target,
                         bool trail);

// The trail bytes of a 32-bit mask of high bytes (bit i is byte i). `trail` is 1 when the first
// byte is a trail, in and out. The mask is one limb of a long addition over the whole text: the
// carry out of a limb is exactly whether the next limb's first byte is a trail, so a round waits
// on the previous one for three instructions only.
CASESWITCH_IN_LOOP std::uint32_t TrailBits(std::uint32_t high, std::uint32_t& trail) {
    constexpr std::uint32_t kEvenBits = 0x55555555;
    constexpr std::uint32_t kOddBits = ~kEvenBits;
    // Runs starting on an odd byte get a 1 at their start; the carry-in lands on bit 0, which is
    // even and so never an odd start.
    const std::uint32_t sum = high + ((high & ~(high << 1) & kOddBits) | trail);
    // The bytes after the high ones: in a run starting on an even byte (still set in the sum) those
    // after odd ones are trails, in one starting on an odd byte (cleared by the carry) those after
    // even ones.
    const std::uint32_t trails = (((sum ^ kOddBits) & high) << 1) | trail;
    trail = sum < high ? 1 : 0;
    return trails;
}

} // namespace runtime::conversion::detail
