#include "autostart/RegCommandLine.h"

namespace runtime {
namespace {

std::string_view RootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKCR";
    case RegistryRoot::CurrentConfig:
        return "HKCC";
    case RegistryRoot::CurrentUser:
        return "HKCU";
    case RegistryRoot::LocalMachine:
        return "HKLM";
    case RegistryRoot::Users:
        return "HKU";
    }
    return "HKCU";
}

std::string KeyAndName(const RegistryPathParts& target) {
    std::string key(RootName(target.root));
    if (!target.keyPath.empty()) key.append("\\").append(target.keyPath);
    return QuotedArgument(key) + " /v " + QuotedArgument(target.valueName);
}

} // namespace

std::string QuotedArgument(std::string_view text) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte == '\\') {
            ++backslashes;
            quoted += '\\';
            continue;
        }
        if (byte == '"') {
            quoted.append(backslashes + 1, '\\');
            quoted += '"';
        } else {
            quoted += text[index];
            if (byte >= 0x80 && index + 1 < text.size()) quoted += text[++index];
        }
        backslashes = 0;
    }
    quoted.append(backslashes, '\\');
    quoted += '"';
    return quoted;
}

std::string RegAddTextCommandLine(const RegistryPathParts& target, std::string_view text) {
    return "add " + KeyAndName(target) + " /t REG_SZ /d " + QuotedArgument(text) + " /f /reg:32";
}

std::string RegDeleteValueCommandLine(const RegistryPathParts& target) {
    return "delete " + KeyAndName(target) + " /f /reg:32";
}

} // namespace runtime
