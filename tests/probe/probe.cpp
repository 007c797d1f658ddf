// Observes programs from inside Wine for the end-to-end tests.
//
//   probe.exe COMMAND ARGS...   one command, one JSON line, exit code 0 when it succeeded
//   probe.exe                   one command per line on stdin, one JSON line per answer, until
//                               "quit" or the end of input (a Wine start costs about 0.1 s)
//
// Every answer carries "ok" and "cmd"; a failed one also "error" and "last_error".
// Handles are decimal or 0x hex; texts are typed as they are, "-" for none, or "hex:BYTES" for
// raw ANSI bytes (GBK captions, blanks). "help" lists the commands.
#include "Commands.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace probe {

bool Args::Number(size_t index, long long& value) const {
    if (index >= words.size()) return false;
    const std::string& word = words[index];
    char* end = nullptr;
    value = std::strtoll(word.c_str(), &end, 0);
    return !word.empty() && *end == '\0';
}

bool Args::Window(size_t index, HWND& window) const {
    long long value = 0;
    if (!Number(index, value)) return false;
    window = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<unsigned long>(value)));
    return true;
}

bool Args::Text(size_t index, std::optional<std::string>& text) const {
    if (index >= words.size()) return false;
    const std::string& word = words[index];
    if (word == "-") {
        text.reset();
        return true;
    }
    constexpr std::string_view kHexPrefix = "hex:";
    if (word.rfind(kHexPrefix, 0) == 0) {
        std::string bytes;
        if (!ParseHex(std::string_view(word).substr(kHexPrefix.size()), bytes)) return false;
        text = bytes;
        return true;
    }
    text = word;
    return true;
}

bool Fail(JsonObject& answer, const char* what) {
    const DWORD error = GetLastError();
    answer.String("error", what).Int("last_error", error);
    return false;
}

bool BadArguments(JsonObject& answer) {
    answer.String("error", "bad arguments");
    return false;
}

namespace {

std::span<const Command> (*const kGroups[])() = {WindowCommands, MessageCommands, ClipboardCommands, ProcessCommands,
                                                 DisplayCommands};

const Command* FindCommand(const std::string& name) {
    for (auto group : kGroups) {
        for (const Command& command : group()) {
            if (name == command.name) return &command;
        }
    }
    return nullptr;
}

std::string HelpText() {
    std::string text;
    for (auto group : kGroups) {
        for (const Command& command : group()) {
            text += std::string(command.name) + " " + command.usage + "\n";
        }
    }
    return text;
}

// Returns the answer line and whether the command succeeded.
std::string Run(const std::vector<std::string>& words, bool& ok) {
    ok = false;
    JsonObject answer;
    const std::string name = words.empty() ? std::string() : words.front();
    const Command* command = FindCommand(name);
    if (name == "help") {
        ok = true;
        answer.String("help", HelpText());
    } else if (name == "ping") {
        ok = true;
    } else if (!command) {
        answer.String("error", "unknown command");
    } else if (words.size() - 1 < command->minArgs || words.size() - 1 > command->maxArgs) {
        answer.String("error", std::string("usage: ") + command->name + " " + command->usage);
    } else {
        ok = command->run(Args(std::vector<std::string>(words.begin() + 1, words.end())), answer);
    }
    JsonObject head;
    head.Bool("ok", ok).String("cmd", name);
    std::string line = head.Finish();
    const std::string rest = answer.Finish();
    if (rest.size() > 2) {
        line.pop_back();
        line += "," + rest.substr(1);
    }
    return line;
}

void Answer(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::vector<std::string> Split(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

int Serve() {
    for (std::string line; std::getline(std::cin, line);) {
        const std::vector<std::string> words = Split(line);
        if (words.empty()) continue;
        if (words.front() == "quit") break;
        bool ok = false;
        Answer(Run(words, ok));
    }
    return 0;
}

} // namespace
} // namespace probe

int main(int argc, char** argv) {
    // Binary pipes: no CR LF translation on the way to the harness.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return probe::Serve();
    bool ok = false;
    probe::Answer(probe::Run(std::vector<std::string>(argv + 1, argv + argc), ok));
    return ok ? 0 : 1;
}
