// Converts 64 MiB of three kinds of text and copies the same bytes with memcpy in the same run;
// prints every conversion's throughput as a share of memcpy's at the end.
#include "BenchText.h"
#include "caseswitch/text/CaseConversion.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 64u << 20;

const std::string& Text(const std::string& kind) {
    static std::map<std::string, std::string> texts;
    auto found = texts.find(kind);
    if (found == texts.end()) found = texts.emplace(kind, bench::MakeText(kind.c_str(), kTextBytes)).first;
    return found->second;
}

std::vector<char>& Target() {
    static std::vector<char> target(kTextBytes + 1, 1); // touched, so no page faults are timed
    return target;
}

using Convert = void (*)(runtime::LetterCase, const char*, std::size_t, char*);

void BM_Memcpy(benchmark::State& state, std::string kind) {
    const std::string& text = Text(kind);
    std::vector<char>& target = Target();
    for (auto _ : state) {
        std::memcpy(target.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Convert(benchmark::State& state, std::string kind, Convert convert) {
    const std::string& text = Text(kind);
    std::vector<char>& target = Target();
    for (auto _ : state) {
        convert(runtime::LetterCase::Upper, text.data(), text.size(), target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// What a text command does besides allocating: find the NUL, then convert.
void BM_LengthAndConvert(benchmark::State& state, std::string kind) {
    const std::string& text = Text(kind);
    std::vector<char>& target = Target();
    for (auto _ : state) {
        const std::size_t length = std::strlen(text.c_str());
        runtime::ConvertCase(runtime::LetterCase::Upper, text.c_str(), length, target.data());
        target[length] = '\0';
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Passes every report on to the console and keeps each benchmark's bytes per second.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto found = run.counters.find("bytes_per_second");
            if (found != run.counters.end()) rates[run.benchmark_name()] = found->second.value;
        }
    }

    void PrintRatios() const {
        std::printf("\nThroughput beside memcpy of the same bytes (GB/s = 1e9 bytes/s):\n");
        for (const char* kind : {"ascii", "mixed", "chinese"}) {
            const auto memcpyRate = rates.find(std::string("memcpy/") + kind);
            if (memcpyRate == rates.end()) continue;
            for (const auto& [name, rate] : rates) {
                const std::size_t slash = name.find('/');
                if (name.compare(slash + 1, std::string::npos, kind) != 0 || name.rfind("memcpy", 0) == 0) continue;
                std::printf("  %-8s %-20s %7.2f GB/s  memcpy %7.2f GB/s  %5.1f%%\n", kind,
                            name.substr(0, slash).c_str(), rate / 1e9, memcpyRate->second / 1e9,
                            100.0 * rate / memcpyRate->second);
            }
        }
    }

private:
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    for (const char* kind : {"ascii", "mixed", "chinese"}) {
        benchmark::RegisterBenchmark((std::string("memcpy/") + kind).c_str(), BM_Memcpy, kind);
        benchmark::RegisterBenchmark((std::string("ConvertCase/") + kind).c_str(), BM_Convert, kind,
                                     &runtime::ConvertCase);
        benchmark::RegisterBenchmark((std::string("strlen+ConvertCase/") + kind).c_str(), BM_LengthAndConvert, kind);
#if CASESWITCH_HAS_AVX2
        if (runtime::conversion::ProcessorHasAvx2())
            benchmark::RegisterBenchmark((std::string("ConvertVectorsAvx2/") + kind).c_str(), BM_Convert, kind,
                                         &runtime::conversion::ConvertVectorsAvx2);
#endif
#if CASESWITCH_HAS_SSE2
        benchmark::RegisterBenchmark((std::string("ConvertVectors/") + kind).c_str(), BM_Convert, kind,
                                     &runtime::conversion::ConvertVectors);
#endif
        benchmark::RegisterBenchmark((std::string("ConvertWords/") + kind).c_str(), BM_Convert, kind,
                                     &runtime::conversion::ConvertWords);
        benchmark::RegisterBenchmark((std::string("ConvertBytes/") + kind).c_str(), BM_Convert, kind,
                                     &runtime::conversion::ConvertBytes);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
