// The byte and word paths, and the choice of the fastest path this processor runs.
#include "caseswitch/text/CaseConversion.h"

#include "caseswitch/text/CaseConversionBlocks.h"

#include <bit>
#include <cstring>

#if CASESWITCH_SSE2_AT_RUN_TIME
#include <cpuid.h>
#endif

namespace runtime {
namespace conversion {
namespace detail {

bool ConvertTail(unsigned char first, const unsigned char* source, std::size_t length, unsigned char* target,
                 bool trail) {
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = source[i];
        if (trail) {
            trail = false;
        } else if (byte >= 0x80) {
            trail = true;
        } else if (static_cast<unsigned char>(byte - first) < 26) {
            target[i] = static_cast<unsigned char>(byte ^ 0x20);
            continue;
        }
        target[i] = byte;
    }
    return trail;
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;
constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FF; // bytes 0, 2, 4, 6 in memory order

// One eight-byte word in memory order (least significant byte first). `trail` is 0 or 1 in and out.
std::uint64_t ConvertWord(std::uint64_t word, std::uint64_t first, std::uint64_t& trail) {
    // 0xFF in every byte that may open a character; the first byte cannot when it is a trail.
    const std::uint64_t lead = (((word >> 7) & kOnes) * 0xFF) & ~(trail * 0xFF);
    const std::uint64_t starts = lead & ~(lead << 8) & kOnes;
    const std::uint64_t evenStarts = starts & kEvenBytes;
    const std::uint64_t oddStarts = starts & ~kEvenBytes;
    const std::uint64_t evenEnds = (lead + evenStarts) & ~lead;
    const std::uint64_t oddSum = lead + oddStarts;
    // A run that starts on an odd byte and reaches the end leaves a lead in the last byte.
    const std::uint64_t carryOut = oddSum < lead ? 1 : 0;
    const std::uint64_t oddEnds = (oddSum | trail) & ~lead;
    const std::uint64_t trails = (evenEnds & ~kEvenBytes) | (oddEnds & kEvenBytes); // 0x01 per trail byte
    trail = carryOut;

    // High bit of each byte from `first` to `first` + 25, computed on the low seven bits so that
    // no addition carries into the next byte; bytes from 0x80 up are no letters.
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastFirst = low + kOnes * (0x80 - first);
    const std::uint64_t pastLast = low + kOnes * (0x80 - first - 26);
    const std::uint64_t letters = atLeastFirst & ~pastLast & ~word & kHighBits;
    return word ^ ((letters >> 2) & ~(trails << 5));
}

bool ConvertWordRun(unsigned char first, const unsigned char* source, std::size_t wordCount, unsigned char* target,
                    bool trailIn) {
    std::uint64_t trail = trailIn ? 1 : 0;
    for (std::size_t i = 0; i < wordCount; ++i) {
        std::uint64_t word;
        std::memcpy(&word, source + 8 * i, 8);
        word = ConvertWord(word, first, trail);
        std::memcpy(target + 8 * i, &word, 8);
    }
    return trail != 0;
}

} // namespace

void ConvertWordsAndTail(unsigned char first, const unsigned char* source, std::size_t length, unsigned char* target,
                         bool trail) {
    const std::size_t words = length / 8;
    trail = ConvertWordRun(first, source, words, target, trail);
    ConvertTail(first, source + 8 * words, length % 8, target + 8 * words, trail);
}

} // namespace detail

using detail::Bytes;
using detail::ConvertTail;
using detail::ConvertWordsAndTail;
using detail::FirstLetter;

void ConvertBytes(LetterCase letterCase, const char* source, std::size_t length, char* target) {
    ConvertTail(FirstLetter(letterCase), Bytes(source), length, Bytes(target), false);
}

void ConvertWords(LetterCase letterCase, const char* source, std::size_t length, char* target) {
    const unsigned char first = FirstLetter(letterCase);
    if constexpr (std::endian::native != std::endian::little) {
        // The carries run from low to high bytes, which is memory order only on little-endian targets.
        ConvertTail(first, Bytes(source), length, Bytes(target), false);
    } else {
        ConvertWordsAndTail(first, Bytes(source), length, Bytes(target), false);
    }
}

Converter FastestPath() {
#if CASESWITCH_HAS_AVX2
    if (ProcessorHasAvx2()) return &ConvertVectorsAvx2;
#endif
#if CASESWITCH_SSE2_AT_RUN_TIME
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0 ? &ConvertVectors : &ConvertWords;
#elif CASESWITCH_HAS_SSE2
    return &ConvertVectors;
#else
    return &ConvertWords;
#endif
}

} // namespace conversion

void ConvertCase(LetterCase letterCase, const char* source, std::size_t length, char* target) {
    // The processor does not change while the program runs; asking it once is enough.
    static const conversion::Converter convert = conversion::FastestPath();
    convert(letterCase, source, length, target);
}

void ConvertCaseWide(LetterCase letterCase, const char16_t* source, std::size_t length, char16_t* target) {
    const char16_t first = conversion::detail::FirstLetter(letterCase);
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t unit = source[i];
        target[i] = static_cast<char16_t>(unit - first) < 26 ? static_cast<char16_t>(unit ^ 0x20) : unit;
    }
}

std::int32_t CharCodeAt(const char* text, std::int32_t position) {
    // Positions of 0 and below wrap to an index beyond any text.
    const std::uint32_t index = static_cast<std::uint32_t>(position) - 1u;
    if (text == nullptr) return 0;
    // The byte at `index` exists when no NUL comes before it; the NUL itself reads as 0.
    if (std::memchr(text, '\0', index) != nullptr) return 0;
    return static_cast<signed char>(text[index]);
}

} // namespace runtime
