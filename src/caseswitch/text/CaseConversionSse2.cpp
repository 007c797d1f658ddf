// The SSE2 path: thirty-two bytes a round in two 16-byte vectors.
#include "caseswitch/text/CaseConversion.h"

#if CASESWITCH_HAS_SSE2
#include "caseswitch/text/CaseConversionBlocks.h"

#include <algorithm>
#include <emmintrin.h>

#if CASESWITCH_SSE2_AT_RUN_TIME
// The vector path alone is compiled for SSE2, and only ever runs where FastestPath has seen the
// processor report it.
#pragma GCC push_options
#pragma GCC target("sse2")
#endif

namespace runtime::conversion {
namespace {

using detail::Bytes;
using detail::ConvertTail;
using detail::ConvertWordsAndTail;
using detail::FirstLetter;
using detail::TrailBits;

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

} // namespace

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

} // namespace runtime::conversion

#if CASESWITCH_SSE2_AT_RUN_TIME
#pragma GCC pop_options
#endif
#endif
