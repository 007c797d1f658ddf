// The AVX2 path: sixty-four bytes a round in two 32-byte vectors, and the check for a processor and
// a system that support it.
#include "caseswitch/text/CaseConversion.h"

#if CASESWITCH_HAS_AVX2
#include "caseswitch/text/CaseConversionBlocks.h"

#include <immintrin.h>
#if defined(__GNUC__)
#include <cpuid.h>
#else
#include <intrin.h>
#endif

// Only these functions are compiled for AVX2; the rest of the program keeps to SSE2. They load and
// store unaligned, and so does every vector the compiler keeps on the stack (see CMakeLists.txt):
// GCC cannot align the stack to 32 bytes on Windows.
#if defined(__GNUC__)
#define CASESWITCH_AVX2 __attribute__((target("avx2")))
#define CASESWITCH_AVX2_IN_LOOP __attribute__((target("avx2"), always_inline)) inline
#else
#define CASESWITCH_AVX2
#define CASESWITCH_AVX2_IN_LOOP __forceinline
#endif

namespace runtime::conversion {
namespace {

using detail::Bytes;
using detail::ConvertTail;
using detail::ConvertWordsAndTail;
using detail::FirstLetter;
using detail::TrailBits;

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
        // One look at both vectors' high bits first: the masks of each are only needed past it,
        // and 32-bit x86 has too few registers to keep them alive across it.
        if ((static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(low, high))) | trail) != 0) {
            const auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(low));
            lowLetters = _mm256_andnot_si256(ExpandBits32(TrailBits(lowBits, trail)), lowLetters);
            const auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(high));
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

// `roundCount` rounds of sixty-four bytes; with `streaming`, every store goes past the cache and
// `target` must be aligned to 32 bytes. A loop for each kind of store, so that no round tests which.
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

} // namespace

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

} // namespace runtime::conversion
#endif
