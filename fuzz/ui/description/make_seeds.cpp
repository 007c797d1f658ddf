// Writes the fuzz seeds: the program's own block, and blocks of several windows with every field,
// older record versions and kind data newer than the reader knows.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "../../tests/ui/DescriptionTestSupport.h"
#include "runtime/DescriptionWriter.h"
#include "ui/MainWindowBlock.h"

namespace {

bool WriteFile(const std::string& path, const runtime::ByteBlock& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::vector<runtime::WindowDescription> OldVersions() {
    runtime::WindowDescription window = testsupport::RichWindow(0x52010001, 2);
    std::get<runtime::WindowData>(window.elements[0].data).version = 1;
    std::get<runtime::LabelData>(window.elements[1].data).version = 1;
    std::get<runtime::CheckBoxData>(window.elements[4].data).version = 1;
    runtime::WindowDescription second = testsupport::RichWindow(0x52010002, 3);
    std::get<runtime::WindowData>(second.elements[0].data).version = 4;
    return {window, second};
}

std::vector<runtime::WindowDescription> NewerKindData() {
    std::vector<runtime::WindowDescription> windows = program::MainWindowDescriptions();
    windows.push_back(testsupport::RichWindow(0x52010002, 4));
    std::get<runtime::ButtonData>(windows.back().elements[3].data).version = 2;
    return windows;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const bool written =
        WriteFile(directory + "/main_window.bin", runtime::WriteDescriptionBlock(program::MainWindowDescriptions())) &&
        WriteFile(directory + "/several_windows.bin",
                  runtime::WriteDescriptionBlock(testsupport::SeveralRichWindows())) &&
        WriteFile(directory + "/old_versions.bin", runtime::WriteDescriptionBlock(OldVersions())) &&
        WriteFile(directory + "/newer_kind_data.bin", runtime::WriteDescriptionBlock(NewerKindData()));
    if (!written) {
        std::fprintf(stderr, "cannot write the seeds into %s\n", directory.c_str());
        return 1;
    }
    return 0;
}
