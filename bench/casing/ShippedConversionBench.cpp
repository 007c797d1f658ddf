// The conversion as the shipped program runs it: built in the release trees with the program's own
// flags and its own conversion library, run under Wine. Converts 16 MiB of each kind of text and
// copies the same bytes with memcpy in the same process; the best of several rounds of each, so
// that another process's burst on a shared machine does not decide the figure.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchText.h"
#include "caseswitch/CaseConversion.h"

namespace {

constexpr std::size_t kTextBytes = 16u << 20;
constexpr int kRounds = 15;

double Seconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Step> double BestRate(Step step) {
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Seconds();
        step();
        const double rate = static_cast<double>(kTextBytes) / (Seconds() - start);
        if (rate > best) best = rate;
    }
    return best;
}

} // namespace

int main() {
    using runtime::conversion::FastestPath;
    const runtime::conversion::Converter convert = FastestPath();
    std::printf("path the program takes: %s\n",
#if CASESWITCH_HAS_SSE2
                convert == &runtime::conversion::ConvertVectors ? "vectors (SSE2)" :
#endif
                                                                "words");
    std::vector<char> target(kTextBytes, 1); // touched, so no page faults are timed
    unsigned sink = 0;
    for (const char* kind : {"ascii", "mixed", "chinese"}) {
        const std::string text = bench::MakeText(kind, kTextBytes);
        const double conversion = BestRate(
            [&] { runtime::ConvertCase(runtime::LetterCase::Upper, text.data(), text.size(), target.data()); });
        sink += static_cast<unsigned char>(target[kTextBytes / 2]);
        const double copy = BestRate([&] { std::memcpy(target.data(), text.data(), text.size()); });
        sink += static_cast<unsigned char>(target[kTextBytes / 3]);
        std::printf("%-8s ConvertCase %6.2f GB/s  memcpy %6.2f GB/s  %5.1f%%\n", kind, conversion / 1e9, copy / 1e9,
                    100.0 * conversion / copy);
    }
    return sink == 0xFFFFFFFF ? 1 : 0;
}
