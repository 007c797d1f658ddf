#pragma once
// One-line JSON answers for the end-to-end harness. Texts leave as pure ASCII (\u escapes from
// UTF-16) so that no code page conversion between Wine's pipes and Python can alter them, and
// every ANSI text also travels as hex of its raw bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace probe {

class JsonObject {
public:
    JsonObject& Int(std::string_view key, long long value);
    JsonObject& Bool(std::string_view key, bool value);
    // ASCII text, escaped as needed.
    JsonObject& String(std::string_view key, std::string_view ascii);
    // ANSI (code page of the process) text: `key` holds it decoded, `key`_hex its bytes.
    JsonObject& Ansi(std::string_view key, std::string_view bytes);
    // An already encoded JSON value.
    JsonObject& Raw(std::string_view key, std::string_view json);
    JsonObject& IntArray(std::string_view key, const std::vector<long long>& values);

    std::string Finish() const { return "{" + body + "}"; }

private:
    void Key(std::string_view key);
    std::string body;
};

std::string JsonArray(const std::vector<std::string>& items);
std::string HexBytes(std::string_view bytes);
// False when `hex` has an odd length or a non-hex digit.
bool ParseHex(std::string_view hex, std::string& bytes);

} // namespace probe
