// Converts 64 MiB of three kinds of text and copies the same bytes with memcpy in the same run;
// prints every conversion's throughput as a share of memcpy's at the end.
#include "caseswitch/CaseConversion.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 64u << 20;

// A small deterministic generator, so every run converts the same bytes.
class Generator {
public:
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    std::uint32_t Below(std::uint32_t bound) { return Next() % bound; }

private:
    std::uint32_t state = 2463534242u;
};

const char* const kWords[] = {"the",     "clipboard", "Window", "text",  "of",      "a",     "Selected", "CASE",
                              "switch",  "and",       "Hello",  "World", "program", "in",    "letters",  "to",
                              "Unicode", "code",      "page",   "is",    "GBK",     "while", "input",    "keys"};

void AppendAsciiWord(std::string& out, Generator& random) {
    out += kWords[random.Below(sizeof kWords / sizeof kWords[0])];
    const std::uint32_t roll = random.Below(20);
    out += roll == 0 ? ". " : roll == 1 ? ", " : roll == 2 ? "\r\n" : " ";
}

// A GBK double-byte character: first bytes 0x81-0xFE, second bytes 0x40-0x7E or 0x80-0xFE, so
// about a quarter of them have a second byte that looks like an ASCII letter.
void AppendChineseCharacter(std::string& out, Generator& random) {
    out += static_cast<char>(0x81 + random.Below(0x7E));
    const std::uint32_t second = random.Below(0x7F + 0x3F);
    out += static_cast<char>(second < 0x3F ? 0x40 + second : 0x80 + (second - 0x3F));
}

std::string MakeText(const char* kind) {
    Generator random;
    std::string out;
    out.reserve(kTextBytes + 64);
    const std::string which = kind;
    while (out.size() < kTextBytes) {
        if (which == "ascii") {
            AppendAsciiWord(out, random);
        } else if (which == "chinese") {
            AppendChineseCharacter(out, random);
        } else {
            // Mixed: runs of a few characters of each.
            const std::uint32_t run = 1 + random.Below(6);
            for (std::uint32_t i = 0; i < run; ++i) {
                if (random.Below(2)) {
                    AppendChineseCharacter(out, random);
                } else {
                    AppendAsciiWord(out, random);
                }
            }
        }
    }
    out.resize(kTextBytes);
    // Cut a character in half at the end rather than leave a zero byte inside the text.
    return out;
}

const std::string& Text(const std::string& kind) {
    static std::map<std::string, std::string> texts;
    auto found = texts.find(kind);
    if (found == texts.end()) found = texts.emplace(kind, MakeText(kind.c_str())).first;
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
