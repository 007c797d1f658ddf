#include "Json.h"

#include <windows.h>

#include <cstdio>

namespace probe {
namespace {

void AppendEscaped(std::string& out, unsigned code) {
    switch (code) {
    case '"':
        out += "\\\"";
        return;
    case '\\':
        out += "\\\\";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    if (code >= 0x20 && code < 0x7F) {
        out += static_cast<char>(code);
        return;
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
    out += buffer;
}

std::string QuotedAscii(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        AppendEscaped(out, c);
    }
    return out + "\"";
}

std::string QuotedAnsi(std::string_view bytes) {
    std::string out = "\"";
    if (!bytes.empty()) {
        const int size = static_cast<int>(bytes.size());
        const int count = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        std::wstring wide(static_cast<size_t>(count), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), count);
        for (wchar_t unit : wide) {
            AppendEscaped(out, static_cast<unsigned>(unit));
        }
    }
    return out + "\"";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

void JsonObject::Key(std::string_view key) {
    if (!body.empty()) body += ',';
    body += QuotedAscii(key);
    body += ':';
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
    Key(key);
    body += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
    Key(key);
    body += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view ascii) {
    Key(key);
    body += QuotedAscii(ascii);
    return *this;
}

JsonObject& JsonObject::Ansi(std::string_view key, std::string_view bytes) {
    Key(key);
    body += QuotedAnsi(bytes);
    Key(std::string(key) + "_hex");
    body += '"' + HexBytes(bytes) + '"';
    return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
    Key(key);
    body += json;
    return *this;
}

JsonObject& JsonObject::IntArray(std::string_view key, const std::vector<long long>& values) {
    std::vector<std::string> items;
    for (long long value : values) {
        items.push_back(std::to_string(value));
    }
    return Raw(key, JsonArray(items));
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        out += items[i];
    }
    return out + "]";
}

std::string HexBytes(std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

bool ParseHex(std::string_view hex, std::string& bytes) {
    if (hex.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

} // namespace probe
