// The conversion as the shipped program runs it: built in the release trees with the program's own
// flags and its own conversion library, run under Wine. Converts each kind of text at three sizes
// (a large selection of 64 KiB, 16 MiB that fit this machine's last-level cache, and 64 MiB that do
// not) and copies the same bytes with memcpy in the same process, in pairs of rounds one right after
// the other, so that both halves of a pair meet the same load on a shared machine. Prints each
// one's best round and the median of the pairs' ratios: a burst of another process slows a few
// pairs, not the figure. Each round runs its step over at least 16 MiB twice and times the second,
// so that every step is timed in the cache state it leaves itself, not in the one the other leaves.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchText.h"
#include "caseswitch/text/CaseConversion.h"

namespace {

constexpr std::size_t kSizes[] = {64u << 10, 16u << 20, 64u << 20};
constexpr std::size_t kLargestSize = 64u << 20;
constexpr std::size_t kRoundBytes = 16u << 20; // each timed round converts or copies at least this
constexpr int kPairs = 61;                     // odd, so that the median is one pair's

double Seconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

using Step = void (*)(const char* text, std::size_t size, char* target);

double RoundRate(Step step, const char* text, std::size_t size, char* target) {
    const std::size_t repeats = std::max<std::size_t>(1, kRoundBytes / size);
    for (std::size_t i = 0; i < repeats; ++i)
        step(text, size, target);
    const double start = Seconds();
    for (std::size_t i = 0; i < repeats; ++i)
        step(text, size, target);
    return static_cast<double>(size * repeats) / (Seconds() - start);
}

void Convert(const char* text, std::size_t size, char* target) {
    runtime::ConvertCase(runtime::LetterCase::Upper, text, size, target);
}

void Copy(const char* text, std::size_t size, char* target) {
    std::memcpy(target, text, size);
}

} // namespace

int main() {
    using runtime::conversion::FastestPath;
    const runtime::conversion::Converter convert = FastestPath();
    std::printf("path the program takes: %s\n",
#if CASESWITCH_HAS_AVX2
                convert == &runtime::conversion::ConvertVectorsAvx2 ? "32-byte vectors (AVX2)" :
#endif
#if CASESWITCH_HAS_SSE2
                convert == &runtime::conversion::ConvertVectors ? "vectors (SSE2)"
                                                                :
#endif
                                                                "words");
    std::vector<char> target(kLargestSize, 1); // touched, so no page faults are timed
    unsigned sink = 0;
    for (const char* kind : {"ascii", "mixed", "chinese"}) {
        const std::string text = bench::MakeText(kind, kLargestSize);
        for (const std::size_t size : kSizes) {
            double conversion = 0;
            double copy = 0;
            std::vector<double> ratios;
            for (int pair = 0; pair < kPairs; ++pair) {
                const double pairConversion = RoundRate(&Convert, text.data(), size, target.data());
                sink += static_cast<unsigned char>(target[size / 2]);
                const double pairCopy = RoundRate(&Copy, text.data(), size, target.data());
                sink += static_cast<unsigned char>(target[size / 3]);
                conversion = std::max(conversion, pairConversion);
                copy = std::max(copy, pairCopy);
                ratios.push_back(pairConversion / pairCopy);
            }
            std::nth_element(ratios.begin(), ratios.begin() + kPairs / 2, ratios.end());
            std::printf("%-8s %6zu KiB  ConvertCase %6.2f GB/s  memcpy %6.2f GB/s (best rounds)  median pair %5.1f%%\n",
                        kind, size >> 10, conversion / 1e9, copy / 1e9, 100.0 * ratios[kPairs / 2]);
        }
    }
    return sink == 0xFFFFFFFF ? 1 : 0;
}
