#include "caseswitch/text/CaseConversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace runtime {
namespace {

// Straight from the rule, over a NUL-terminated copy: a letter of the converted range flips;
// any byte from 0x80 takes the next byte with it, unless that is the NUL, where the walk ends.
std::string Reference(LetterCase letterCase, const std::string& text) {
    std::vector<unsigned char> copy(text.begin(), text.end());
    copy.push_back('\0');
    const unsigned char first = letterCase == LetterCase::Upper ? 'a' : 'A';
    for (std::size_t i = 0; copy[i] != '\0'; ++i) {
        if (copy[i] >= first && copy[i] <= first + 25) {
            copy[i] = static_cast<unsigned char>(copy[i] ^ 0x20);
        } else if (copy[i] >= 0x80) {
            if (copy[i + 1] == '\0') break;
            ++i;
        }
    }
    return std::string(copy.begin(), copy.end() - 1);
}

using ConvertFunction = void (*)(LetterCase, const char*, std::size_t, char*);
struct ConversionPath {
    const char* name;
    ConvertFunction convert;
};

// Every path this processor can run; the AVX2 ones only where it has AVX2.
std::vector<ConversionPath> RunnablePaths() {
    std::vector<ConversionPath> paths = {
        {"ConvertCase", &ConvertCase},
        {"ConvertBytes", &conversion::ConvertBytes},
        {"ConvertWords", &conversion::ConvertWords},
#if CASESWITCH_HAS_SSE2
        {"ConvertVectors", &conversion::ConvertVectors},
        {"ConvertVectorsStreaming", &conversion::ConvertVectorsStreaming},
#endif
    };
#if CASESWITCH_HAS_AVX2
    if (conversion::ProcessorHasAvx2()) {
        paths.push_back({"ConvertVectorsAvx2", &conversion::ConvertVectorsAvx2});
    }
#endif
    return paths;
}

const std::vector<ConversionPath>& Paths() {
    static const std::vector<ConversionPath> paths = RunnablePaths();
    return paths;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        out += digits;
    }
    return out;
}

std::string Convert(const ConversionPath& path, LetterCase letterCase, const std::string& text) {
    std::string out(text.size(), '\0');
    path.convert(letterCase, text.data(), text.size(), out.data());
    return out;
}

const char* CaseName(LetterCase letterCase) {
    return letterCase == LetterCase::Upper ? "upper" : "lower";
}

TEST(CaseConversion, LettersAroundDoubleByteCharacters) {
    struct Case {
        LetterCase letterCase;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {LetterCase::Upper, "abcXYZ123", "ABCXYZ123"},
        {LetterCase::Lower, "abcXYZ123", "abcxyz123"},
        // Second bytes that look like letters stay; the letter after the character converts.
        {LetterCase::Upper,
         "\x81"
         "ab",
         "\x81"
         "aB"},
        {LetterCase::Lower,
         "\x81"
         "AB",
         "\x81"
         "Ab"},
        {LetterCase::Upper, "x\xD6\x61y", "X\xD6\x61Y"},
        // 0x80 is taken as a first byte too, so its follower never converts.
        {LetterCase::Upper,
         "\x80"
         "ab",
         "\x80"
         "aB"},
        // In a run of high bytes every other one opens a character: what follows the run is a
        // second byte only after an odd run.
        {LetterCase::Upper,
         "\xC4\xC4"
         "a",
         "\xC4\xC4"
         "A"},
        {LetterCase::Upper,
         "\xC4\xC4\xC4"
         "a",
         "\xC4\xC4\xC4"
         "a"},
        // A lone first byte at the end stays, and so does everything before it.
        {LetterCase::Upper, "ab\xC4", "AB\xC4"},
        {LetterCase::Lower, "\xC4", "\xC4"},
        {LetterCase::Upper, "", ""},
    };
    for (const ConversionPath& path : Paths()) {
        for (const Case& c : cases) {
            const std::string seen = Convert(path, c.letterCase, c.text);
            EXPECT_EQ(seen, c.expected) << path.name << " " << CaseName(c.letterCase) << " of [" << Hex(c.text)
                                        << "]: expected [" << Hex(c.expected) << "], got [" << Hex(seen) << "]";
        }
    }
}

// Every arrangement of first bytes and letters in a 14-byte window, the window placed inside and
// across the blocks of the faster paths (8, 32 and 64 bytes), with and without an open character
// just before it, and a whole block of letters after it.
TEST(CaseConversion, EveryRunOfFirstBytesAndLettersMatchesTheRule) {
    constexpr int kLength = 128;
    constexpr int kWindow = 14;
    std::string text(kLength, 'q');
    std::string seen(kLength, '\0');
    int mismatches = 0;
    for (int windowStart : {0, 9, 25, 57}) {
        for (bool leadBefore : {false, true}) {
            if (leadBefore && windowStart == 0) continue;
            for (std::uint32_t pattern = 0; pattern < (1u << kWindow) && mismatches < 3; ++pattern) {
                text.assign(kLength, 'q');
                if (leadBefore) text[windowStart - 1] = '\xB0';
                for (int i = 0; i < kWindow; ++i) {
                    if ((pattern >> i) & 1) text[windowStart + i] = '\xB0';
                }
                const std::string expected = Reference(LetterCase::Upper, text);
                for (const ConversionPath& path : Paths()) {
                    path.convert(LetterCase::Upper, text.data(), kLength, seen.data());
                    if (seen != expected) {
                        ++mismatches;
                        ADD_FAILURE() << path.name << " of [" << Hex(text) << "]: expected [" << Hex(expected)
                                      << "], got [" << Hex(seen) << "]";
                    }
                }
            }
        }
    }
}

enum class Mix { AsciiLetters, FirstBytes, Even };

char RandomByte(std::mt19937& random, Mix mix) {
    const unsigned roll = random() % 100;
    auto range = [&](unsigned low, unsigned high) { return static_cast<char>(low + random() % (high - low + 1)); };
    switch (mix) {
    case Mix::AsciiLetters:
        if (roll < 70) return roll % 2 ? range('a', 'z') : range('A', 'Z');
        if (roll < 90) return range(0x01, 0x7F);
        return range(0x80, 0xFF);
    case Mix::FirstBytes:
        if (roll < 60) return range(0x80, 0xFF);
        if (roll < 90) return roll % 2 ? range('a', 'z') : range('A', 'Z');
        return range(0x01, 0x7F);
    case Mix::Even:
        break;
    }
    return range(0x01, 0xFF);
}

// Random texts of every length up to 300 at every alignment of source and target, each path
// against the rule, with guard bytes around the target and in-place conversion checked too.
TEST(CaseConversion, RandomTextsAtEveryAlignmentMatchTheRule) {
    std::mt19937 random(20240611);
    constexpr std::size_t kGuard = 32;
    constexpr char kGuardByte = '\x5A';
    int failures = 0;
    for (std::size_t length = 0; length <= 300 && failures < 5; ++length) {
        for (std::size_t alignment = 0; alignment < 32; ++alignment) {
            const Mix mix = static_cast<Mix>((length + alignment) % 3);
            std::string text(length, 'a');
            for (char& byte : text)
                byte = RandomByte(random, mix);
            // Ends that matter: a lone first byte, or a first byte and a letter.
            if (length >= 1 && alignment % 4 == 1) text[length - 1] = '\xC8';
            if (length >= 2 && alignment % 4 == 2) {
                text[length - 2] = '\xC8';
                text[length - 1] = alignment % 8 < 4 ? 'A' : 'z';
            }
            for (LetterCase letterCase : {LetterCase::Upper, LetterCase::Lower}) {
                const std::string expected = Reference(letterCase, text);
                for (const ConversionPath& path : Paths()) {
                    std::vector<char> source(alignment + length + 1);
                    std::memcpy(source.data() + alignment, text.data(), length);
                    std::vector<char> target(kGuard + alignment + length + kGuard, kGuardByte);
                    char* out = target.data() + kGuard + (31 - alignment);
                    path.convert(letterCase, source.data() + alignment, length, out);
                    const std::string seen(out, length);
                    bool guardsKept = true;
                    for (char* p = target.data(); p < out; ++p)
                        guardsKept &= *p == kGuardByte;
                    for (char* p = out + length; p < target.data() + target.size(); ++p)
                        guardsKept &= *p == kGuardByte;

                    std::string inPlace = text;
                    path.convert(letterCase, inPlace.data(), length, inPlace.data());

                    if (seen != expected || inPlace != expected || !guardsKept) {
                        ++failures;
                        ADD_FAILURE() << path.name << " " << CaseName(letterCase) << " at alignment " << alignment
                                      << " of [" << Hex(text) << "]: expected [" << Hex(expected) << "], got ["
                                      << Hex(seen) << "], in place [" << Hex(inPlace) << "]"
                                      << (guardsKept ? "" : ", and bytes outside the target were written");
                    }
                }
            }
        }
    }
}

#if CASESWITCH_HAS_SSE2
// A text long enough for the streaming stores, misaligned and with an odd tail, converts on every
// path as the word path converts it.
TEST(CaseConversion, TextsPastTheStreamingThresholdMatchTheWordPath) {
    std::mt19937 random(20261208);
    std::string text(conversion::kStreamingFrom + 45, 'a');
    for (char& byte : text)
        byte = RandomByte(random, Mix::Even);
    const char* source = text.data() + 3;
    const std::size_t length = text.size() - 3;
    std::string expected(length, '\0');
    conversion::ConvertWords(LetterCase::Lower, source, length, expected.data());
    std::vector<char> target(length + 1);
    for (const ConversionPath& path : Paths()) {
        path.convert(LetterCase::Lower, source, length, target.data() + 1);
        EXPECT_TRUE(std::memcmp(target.data() + 1, expected.data(), length) == 0) << path.name;
    }
}
#endif

// The machines the tests run on all have SSE2, so every build, the 32-bit one for any x86 included,
// must take a vector path here: the AVX2 one exactly where the compiler's own processor check
// sees AVX2 (the processor's and the system's support both).
TEST(CaseConversion, TheProgramTakesTheWidestVectorPathTheProcessorRuns) {
#if CASESWITCH_HAS_AVX2 && defined(__GNUC__)
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    EXPECT_EQ(conversion::ProcessorHasAvx2(), avx2);
    EXPECT_EQ(conversion::FastestPath(), avx2 ? &conversion::ConvertVectorsAvx2 : &conversion::ConvertVectors);
#elif CASESWITCH_HAS_SSE2
    EXPECT_TRUE(conversion::FastestPath() == &conversion::ConvertVectors);
#else
    GTEST_SKIP() << "no vector path for this processor family";
#endif
}

TEST(CaseConversion, WideTextChangesOnlyTheAsciiLetters) {
    // Full-width letters, Greek, a surrogate pair and the code units just outside both ranges.
    const std::u16string text = u"aZ@[`{\uFF41\uFF21\u03B1\u0391\U0001F600\u0161x";
    std::u16string upper(text.size(), u'\0');
    std::u16string lower(text.size(), u'\0');
    ConvertCaseWide(LetterCase::Upper, text.data(), text.size(), upper.data());
    ConvertCaseWide(LetterCase::Lower, text.data(), text.size(), lower.data());
    EXPECT_TRUE(upper == u"AZ@[`{\uFF41\uFF21\u03B1\u0391\U0001F600\u0161X") << "upper case changed more than a-z";
    EXPECT_TRUE(lower == u"az@[`{\uFF41\uFF21\u03B1\u0391\U0001F600\u0161x") << "lower case changed more than A-Z";
}

TEST(CharCodeAt, PositionsInsideOutsideAndBelowTheText) {
    // Exactly sized, so a read past the NUL is a sanitizer report.
    auto exact = [](const char* literal) {
        const std::size_t size = std::strlen(literal) + 1;
        std::unique_ptr<char[]> copy(new char[size]);
        std::memcpy(copy.get(), literal, size);
        return copy;
    };
    const auto hi = exact("Hi");
    const auto h = exact("H");
    const auto empty = exact("");
    const auto doubleByte = exact("\xD6\xD0z");
    struct Case {
        const char* text;
        std::int32_t position;
        std::int32_t expected;
    };
    const Case cases[] = {
        {hi.get(), 1, 'H'},
        {hi.get(), 2, 'i'},
        {hi.get(), 3, 0}, // the NUL
        {hi.get(), 4, 0},
        {hi.get(), 1000000, 0},
        {hi.get(), INT32_MAX, 0},
        {hi.get(), 0, 0},
        {hi.get(), -5, 0},
        {hi.get(), INT32_MIN, 0},
        {h.get(), 2, 0},
        {empty.get(), 1, 0},
        {empty.get(), 2, 0},
        {doubleByte.get(), 1, -42},
        {doubleByte.get(), 2, -48},
        {doubleByte.get(), 3, 'z'},
        {nullptr, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CharCodeAt(c.text, c.position), c.expected)
            << "text [" << (c.text ? Hex(c.text) : "null") << "] position " << c.position;
    }
}

} // namespace
} // namespace runtime
