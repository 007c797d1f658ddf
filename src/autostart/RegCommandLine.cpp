#include "autostart/RegCommandLine.h"

namespace runtime {
namespace {

constexpr std::string_view kRootNames[] = {"HKCR", "HKCC", "HKCU", "HKLM", "HKU"};

class CommandLine {
public:
    explicit CommandLine(char* out) : at(out), end(out + kRegCommandLineSize - 1) {}

    CommandLine& Put(std::string_view text) {
        for (const char byte : text)
            Byte(byte);
        return *this;
    }
    CommandLine& Quoted(std::string_view first, std::string_view second = {}) {
        Byte('"');
        std::size_t backslashes = 0;
        for (const std::string_view text : {first, second}) {
            for (std::size_t index = 0; index < text.size(); ++index) {
                const auto byte = static_cast<unsigned char>(text[index]);
                if (byte == '\\') {
                    ++backslashes;
                } else if (byte == '"') {
                    Backslashes(backslashes + 1);
                    backslashes = 0;
                } else {
                    backslashes = 0;
                    if (byte >= 0x80 && index + 1 < text.size()) Byte(text[index++]);
                }
                Byte(text[index]);
            }
        }
        Backslashes(backslashes);
        Byte('"');
        return *this;
    }
    bool Finish() {
        *at = '\0';
        return fits;
    }

private:
    void Byte(char byte) {
        if (at == end) {
            fits = false;
            return;
        }
        *at++ = byte;
    }
    void Backslashes(std::size_t count) {
        for (; count != 0; --count)
            Byte('\\');
    }

    char* at;
    char* end;
    bool fits = true;
};

CommandLine& KeyAndName(CommandLine& line, const RegistryPathParts& target) {
    const std::string_view root = kRootNames[static_cast<int>(target.root) - 1];
    if (target.keyPath.empty()) {
        line.Quoted(root);
    } else {
        // The separator joins the root and the key path inside one argument.
        char rootAndSeparator[8] = {};
        root.copy(rootAndSeparator, root.size());
        rootAndSeparator[root.size()] = '\\';
        line.Quoted(std::string_view(rootAndSeparator, root.size() + 1), target.keyPath);
    }
    return line.Put(" /v ").Quoted(target.valueName);
}

} // namespace

bool RegAddTextCommandLine(const RegistryPathParts& target, std::string_view text, char* out) {
    CommandLine line(out);
    KeyAndName(line.Put("add "), target).Put(" /t REG_SZ /d ").Quoted(text).Put(" /f /reg:32");
    return line.Finish();
}

bool RegDeleteValueCommandLine(const RegistryPathParts& target, char* out) {
    CommandLine line(out);
    KeyAndName(line.Put("delete "), target).Put(" /f /reg:32");
    return line.Finish();
}

} // namespace runtime
