#include "caseswitch/CaseConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if CASESWITCH_HAS_SSE2
#include <emmintrin.h>
#endif
#if CASESWITCH_HAS_AVX2
#include <immintrin.h>
#endif
#if CASESWITCH_HAS_SSE2 && defined(__GNUC__)
#include <cpuid.h>
#elif CASESWITCH_HAS_AVX2
#include <intrin.h>
#endif

namespace runtime {
namespace {

// Every path works out, for a block of bytes, which bytes are second bytes of a double-byte
// character ("trail" bytes) and carries one flag to the next block: whether its first byte is one.
// A byte from 0x80 up that is not itself a trail opens a character, so inside a run of such bytes
// the trails are every other byte, counted from where the run really begins; only the byte right
// after a run can be an ASCII letter that must be left alone, and it is a trail exactly when the
// run (counted from its first lead) has odd length. Odd-length runs are found with one addition:
// adding 1 at a run's first byte carries through the whole run and lands on the byte after it.

unsigned char FirstLetter(LetterCase letterCase) {
    return letterCase == LetterCase::Upper ? 'a' : 'A';
}

// The rule itself, byte by byte; also the tail of the faster paths. Returns whether the byte
// after the block would be a trail byte.
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

// The word path's blocks, then the bytes after the last whole block.
void ConvertWordsAndTail(unsigned char first, const unsigned char* source, std::size_t length, unsigned char* target,
                         bool trail) {
    const std::size_t words = length / 8;
    trail = ConvertWordRun(first, source, words, target, trail);
    ConvertTail(first, source + 8 * words, length % 8, target + 8 * words, trail);
}

#if CASESWITCH_SSE2_AT_RUN_TIME
// The vector path alone is compiled for SSE2, and only ever runs where FastestPath has seen the
// processor report it.
#pragma GCC push_options
#pragma GCC target("sse2")
#endif

#if CASESWITCH_HAS_SSE2

// The helpers of the vector loop belong in its body: a call per round would cost more than the
// helper itself, and the program is built for size, where the compiler would keep the calls.
#if defined(__GNUC__)
#define CASESWITCH_IN_LOOP [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define CASESWITCH_IN_LOOP __forceinline
#else
#define CASESWITCH_IN_LOOP inline
#endif

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

// 0xFF in byte i for each set bit i of a 16-bit mask.
CASESWITCH_IN_LOOP __m128i ExpandBits(std::uint32_t bits) {
    __m128i spread = _mm_cvtsi32_si128(static_cast<int>(bits));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread);
    spread = _mm_unpacklo_epi32(spread, spread); // low mask byte in bytes 0-7, high in 8-15
    const __m128i select = _mm_set1_epi64x(static_cast<long long>(0x8040201008040201));
    return _mm_cmpeq_epi8(_mm_and_si128(spread, select), select);
}

class VectorConverter {
public:
    explicit VectorConverter(unsigned char first)
        : belowFirst(_mm_set1_epi8(static_cast<char>(first - 1))),
          pastLast(_mm_set1_epi8(static_cast<char>(first + 26))), caseBit(_mm_set1_epi8(0x20)) {}

    // Signed compares: bytes from 0x80 up are negative and never fall inside the letter range.
    __m128i Letters(__m128i bytes) const {
        return _mm_and_si128(_mm_cmpgt_epi8(bytes, belowFirst), _mm_cmplt_epi8(bytes, pastLast));
    }
    __m128i Flip(__m128i bytes, __m128i letters) const { return _mm_xor_si128(bytes, _mm_and_si128(letters, caseBit)); }

private:
    __m128i belowFirst;
    __m128i pastLast;
    __m128i caseBit;
};

// Where a round's results go: into the cache, or, for a target far larger than any cache, past
// it. A streaming store fills a whole cache line without reading it in first, as a large copy
// does; its target must be aligned to 16 bytes.
enum class Store { Cached, Streaming };

template <Store kStore> void StoreVector(unsigned char* target, __m128i bytes) {
    if constexpr (kStore == Store::Streaming) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(target), bytes);
    } else {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), bytes);
    }
}

// Thirty-two bytes a round: text without double-byte characters takes the short way, the rest
// pays for the trail mask once per round.
template <Store kStore>
bool ConvertVectorRun(unsigned char first, const unsigned char* source, std::size_t roundCount, unsigned char* target,
                      bool trailIn) {
    const VectorConverter converter(first);
    std::uint32_t trail = trailIn ? 1 : 0;
    for (std::size_t i = 0; i < roundCount; ++i) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32 * i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32 * i + 16));
        __m128i lowLetters = converter.Letters(low);
        __m128i highLetters = converter.Letters(high);
        const std::uint32_t highBits = static_cast<std::uint32_t>(_mm_movemask_epi8(low)) |
                                       (static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16);
        if ((highBits | trail) != 0) {
            const std::uint32_t trails = TrailBits(highBits, trail);
            lowLetters = _mm_andnot_si128(ExpandBits(trails & 0xFFFF), lowLetters);
            highLetters = _mm_andnot_si128(ExpandBits(trails >> 16), highLetters);
        }
        StoreVector<kStore>(target + 32 * i, converter.Flip(low, lowLetters));
        StoreVector<kStore>(target + 32 * i + 16, converter.Flip(high, highLetters));
    }
    return trail != 0;
}

#endif

#if CASESWITCH_SSE2_AT_RUN_TIME
#pragma GCC pop_options
#endif

#if CASESWITCH_HAS_AVX2
// Only these functions are compiled for AVX2; the rest of the program keeps to SSE2. They keep
// every vector in a register and load and store unaligned, so no 32-byte stack slot is ever
// needed: GCC cannot align the stack to 32 bytes on Windows and would spill with aligned moves.
#if defined(__GNUC__)
#define CASESWITCH_AVX2 __attribute__((target("avx2")))
#define CASESWITCH_AVX2_IN_LOOP __attribute__((target("avx2"), always_inline)) inline
#else
#define CASESWITCH_AVX2
#define CASESWITCH_AVX2_IN_LOOP __forceinline
#endif

// 0xFF in byte i for each set bit i of a 32-bit mask.
CASESWITCH_AVX2_IN_LOOP __m256i ExpandBits32(std::uint32_t bits) {
    // Each 16-byte lane picks its two mask bytes from the broadcast mask: bytes 0-1, then 2-3.
    const __m256i pick = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3,
                                          3, 3, 3, 3, 3, 3);
    const __m256i spread = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(bits)), pick);
    const __m256i select = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201));
    return _mm256_cmpeq_epi8(_mm256_and_si256(spread, select), select);
}

// Sixty-four bytes at a time, in two 32-byte vectors.
class Avx2Converter {
public:
    // A byte is a letter when, moved so that `first` lands on -128, it stays below -128 + 26;
    // bytes from 0x80 up land above that.
    CASESWITCH_AVX2_IN_LOOP explicit Avx2Converter(unsigned char first)
        : shift(_mm256_set1_epi8(static_cast<char>(0x80 - first))), pastLast(_mm256_set1_epi8(-128 + 26)),
          caseBit(_mm256_set1_epi8(0x20)) {}

    // `trail` as for TrailBits.
    CASESWITCH_AVX2_IN_LOOP void Convert(const unsigned char* source, std::uint32_t& trail, __m256i& low,
                                         __m256i& high) const {
        low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
        high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 32));
        __m256i lowLetters = _mm256_cmpgt_epi8(pastLast, _mm256_add_epi8(low, shift));
        __m256i highLetters = _mm256_cmpgt_epi8(pastLast, _mm256_add_epi8(high, shift));
        const auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(low));
        const auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(high));
        if ((lowBits | highBits | trail) != 0) {
            lowLetters = _mm256_andnot_si256(ExpandBits32(TrailBits(lowBits, trail)), lowLetters);
            highLetters = _mm256_andnot_si256(ExpandBits32(TrailBits(highBits, trail)), highLetters);
        }
        low = _mm256_xor_si256(low, _mm256_and_si256(lowLetters, caseBit));
        high = _mm256_xor_si256(high, _mm256_and_si256(highLetters, caseBit));
    }

private:
    __m256i shift;
    __m256i pastLast;
    __m256i caseBit;
};

// As ConvertVectorRun, sixty-four bytes a round; `streaming` as Store::Streaming there.
CASESWITCH_AVX2 bool ConvertAvx2Run(unsigned char first, const unsigned char* source, std::size_t roundCount,
                                    unsigned char* target, bool trailIn, bool streaming) {
    const Avx2Converter converter(first);
    std::uint32_t trail = trailIn ? 1 : 0;
    const unsigned char* const end = source + 64 * roundCount;
    __m256i low;
    __m256i high;
    if (streaming) {
        for (; source != end; source += 64, target += 64) {
            converter.Convert(source, trail, low, high);
            _mm256_stream_si256(reinterpret_cast<__m256i*>(target), low);
            _mm256_stream_si256(reinterpret_cast<__m256i*>(target + 32), high);
        }
    } else {
        for (; source != end; source += 64, target += 64) {
            converter.Convert(source, trail, low, high);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), low);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 32), high);
        }
    }
    return trail != 0;
}
#endif
#undef CASESWITCH_IN_LOOP

const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

unsigned char* Bytes(char* text) {
    return reinterpret_cast<unsigned char*>(text);
}

} // namespace

namespace conversion {

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

#if CASESWITCH_SSE2_AT_RUN_TIME
#pragma GCC push_options
#pragma GCC target("sse2")
// Window procedures and other callbacks may be entered with the stack aligned to 4 bytes only.
#define CASESWITCH_VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define CASESWITCH_VECTOR_ENTRY
#endif
#if CASESWITCH_HAS_SSE2
CASESWITCH_VECTOR_ENTRY
void ConvertVectors(LetterCase letterCase, const char* source, std::size_t length, char* target) {
    if (length >= kStreamingFrom) {
        ConvertVectorsStreaming(letterCase, source, length, target);
        return;
    }
    const unsigned char first = FirstLetter(letterCase);
    const std::size_t rounds = length / 32;
    const bool trail = ConvertVectorRun<Store::Cached>(first, Bytes(source), rounds, Bytes(target), false);
    const std::size_t done = 32 * rounds;
    ConvertWordsAndTail(first, Bytes(source) + done, length - done, Bytes(target) + done, trail);
}

CASESWITCH_VECTOR_ENTRY
void ConvertVectorsStreaming(LetterCase letterCase, const char* source, std::size_t length, char* target) {
    const unsigned char first = FirstLetter(letterCase);
    // Bytes up to the target's first 16-byte boundary, so that every streaming store is aligned.
    const std::size_t head = std::min(length, (16 - reinterpret_cast<std::uintptr_t>(target) % 16) % 16);
    bool trail = ConvertTail(first, Bytes(source), head, Bytes(target), false);
    const std::size_t rounds = (length - head) / 32;
    trail = ConvertVectorRun<Store::Streaming>(first, Bytes(source) + head, rounds, Bytes(target) + head, trail);
    // Streaming stores are weakly ordered: they must reach memory before whoever reads the target
    // learns that it is done.
    _mm_sfence();
    const std::size_t done = head + 32 * rounds;
    ConvertWordsAndTail(first, Bytes(source) + done, length - done, Bytes(target) + done, trail);
}
#endif

#if CASESWITCH_SSE2_AT_RUN_TIME
#pragma GCC pop_options
#endif

#if CASESWITCH_HAS_AVX2
CASESWITCH_VECTOR_ENTRY CASESWITCH_AVX2 void ConvertVectorsAvx2(LetterCase letterCase, const char* source,
                                                                std::size_t length, char* target) {
    const unsigned char first = FirstLetter(letterCase);
    // Texts past the cache are stored around it, from the target's first 32-byte boundary on, so
    // that every streaming store is aligned.
    const bool streaming = length >= kStreamingFrom;
    const std::size_t head = streaming ? (32 - reinterpret_cast<std::uintptr_t>(target) % 32) % 32 : 0;
    bool trail = ConvertTail(first, Bytes(source), head, Bytes(target), false);
    const std::size_t rounds = (length - head) / 64;
    trail = ConvertAvx2Run(first, Bytes(source) + head, rounds, Bytes(target) + head, trail, streaming);
    // Streaming stores are weakly ordered: they must reach memory before the caller reads the target
    // (a fence after cached stores costs next to nothing).
    _mm_sfence();
    const std::size_t done = head + 64 * rounds;
    ConvertWordsAndTail(first, Bytes(source) + done, length - done, Bytes(target) + done, trail);
}

bool ProcessorHasAvx2() {
    constexpr unsigned kOsSavesVectors = 1u << 27; // OSXSAVE: the system uses XSAVE, xgetbv may be asked
    constexpr unsigned kAvx = 1u << 28;
    constexpr unsigned kAvx2 = 1u << 5;
    constexpr unsigned kVectorState = 6; // the 16- and 32-byte register halves are saved on a switch
#if defined(__GNUC__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || (ecx & kOsSavesVectors) == 0 || (ecx & kAvx) == 0) return false;
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & kVectorState) != kVectorState) return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & kAvx2) != 0;
#else
    int registers[4] = {};
    __cpuid(registers, 0);
    const int highestLeaf = registers[0];
    __cpuid(registers, 1);
    const auto ecx = static_cast<unsigned>(registers[2]);
    if ((ecx & kOsSavesVectors) == 0 || (ecx & kAvx) == 0) return false;
    if ((_xgetbv(0) & kVectorState) != kVectorState || highestLeaf < 7) return false;
    __cpuidex(registers, 7, 0);
    return (static_cast<unsigned>(registers[1]) & kAvx2) != 0;
#endif
}
#undef CASESWITCH_AVX2
#undef CASESWITCH_AVX2_IN_LOOP
#endif
#undef CASESWITCH_VECTOR_ENTRY

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
    const char16_t first = FirstLetter(letterCase);
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
