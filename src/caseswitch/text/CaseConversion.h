// The byte rule behind the text case commands, free of any platform header so that it is tested
// natively and built into both builds.
//
// Only the 26 ASCII letters change. Every byte from 0x80 up opens a double-byte character, and the
// byte after it is that character's second byte whatever its value (GBK second bytes include all
// ASCII letters), so it is never touched. The code page's own lead-byte table is deliberately not
// consulted: the result must not depend on the machine's locale.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

enum class LetterCase { Upper, Lower };

// Converts `length` bytes of a text (the bytes before its NUL; none of them is NUL) from `source`
// into `target`, which has room for `length` bytes and may be `source` itself. Writes no NUL.
void ConvertCase(LetterCase letterCase, const char* source, std::size_t length, char* target);

// The same for UTF-16 text: only the 26 ASCII letters change (each is a code unit of its own, so
// nothing needs stepping over). `target` may be `source`.
void ConvertCaseWide(LetterCase letterCase, const char16_t* source, std::size_t length, char16_t* target);

// The byte at 1-based `position`, sign-extended: 0 for a position below 1 or past the NUL (the
// NUL itself gives 0 too). Reads no further than the NUL or the position, whichever comes first.
std::int32_t CharCodeAt(const char* text, std::int32_t position);

// The individual ways through the conversion, each complete on its own (bulk and tail); the
// dispatching ConvertCase picks the fastest the build has. Exposed for the tests and the benchmark.
namespace conversion {

void ConvertBytes(LetterCase letterCase, const char* source, std::size_t length, char* target);
// Eight bytes at a time in a 64-bit integer; every compiler and target.
void ConvertWords(LetterCase letterCase, const char* source, std::size_t length, char* target);

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
// Every processor the build runs on has SSE2 (every x86-64 one does).
#define CASESWITCH_HAS_SSE2 1
#elif defined(__GNUC__) && !defined(__clang__) && defined(__i386__)
// A 32-bit build for any x86: the vector path is compiled for SSE2 and taken where the processor
// reports SSE2. Every processor Windows 8 and later run on has it; Windows 7 still ran on a few
// that do not, and those keep the word path.
#define CASESWITCH_HAS_SSE2 1
#define CASESWITCH_SSE2_AT_RUN_TIME 1
#endif

#if CASESWITCH_HAS_SSE2
// Thirty-two bytes at a time with SSE2; from kStreamingFrom bytes on, as ConvertVectorsStreaming.
void ConvertVectors(LetterCase letterCase, const char* source, std::size_t length, char* target);
// The same, storing around the cache: for texts much larger than it, whose converted bytes would
// only push everything else out. Far above any selection a user makes by hand.
void ConvertVectorsStreaming(LetterCase letterCase, const char* source, std::size_t length, char* target);
inline constexpr std::size_t kStreamingFrom = std::size_t{4} << 20;
#endif

#if CASESWITCH_HAS_SSE2 && (defined(__GNUC__) || defined(_MSC_VER))
// Sixty-four bytes at a time in 32-byte vectors, from kStreamingFrom bytes on with streaming
// stores. Only for a processor and a system that support AVX2
// (ProcessorHasAvx2): the build itself assumes no more than SSE2.
#define CASESWITCH_HAS_AVX2 1
void ConvertVectorsAvx2(LetterCase letterCase, const char* source, std::size_t length, char* target);
// The processor has AVX2 and the system saves the 32-byte registers across thread switches.
bool ProcessorHasAvx2();
#endif

using Converter = void (*)(LetterCase letterCase, const char* source, std::size_t length, char* target);
// The way ConvertCase takes on this processor.
Converter FastestPath();

} // namespace conversion
} // namespace runtime
