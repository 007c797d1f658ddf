// The texts both conversion benchmarks convert: ASCII prose, Chinese (GBK double-byte characters)
// and runs of both mixed, the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

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

inline const char* const kWords[] = {"the",     "clipboard", "Window", "text",  "of",      "a",     "Selected", "CASE",
                                     "switch",  "and",       "Hello",  "World", "program", "in",    "letters",  "to",
                                     "Unicode", "code",      "page",   "is",    "GBK",     "while", "input",    "keys"};

inline void AppendAsciiWord(std::string& out, Generator& random) {
    out += kWords[random.Below(sizeof kWords / sizeof kWords[0])];
    const std::uint32_t roll = random.Below(20);
    out += roll == 0 ? ". " : roll == 1 ? ", " : roll == 2 ? "\r\n" : " ";
}

// A GBK double-byte character: first bytes 0x81-0xFE, second bytes 0x40-0x7E or 0x80-0xFE, so
// about a quarter of them have a second byte that looks like an ASCII letter.
inline void AppendChineseCharacter(std::string& out, Generator& random) {
    out += static_cast<char>(0x81 + random.Below(0x7E));
    const std::uint32_t second = random.Below(0x7F + 0x3F);
    out += static_cast<char>(second < 0x3F ? 0x40 + second : 0x80 + (second - 0x3F));
}

inline std::string MakeText(const char* kind, std::size_t bytes) {
    Generator random;
    std::string out;
    out.reserve(bytes + 64);
    const std::string which = kind;
    while (out.size() < bytes) {
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
    out.resize(bytes);
    // Cut a character in half at the end rather than leave a zero byte inside the text.
    return out;
}

} // namespace bench
