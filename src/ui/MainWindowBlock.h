// The program's window-description block: its one window in the stored form, written by the
// compiler from MainWindowContent().
#pragma once

#include <vector>

#include "MainWindowContent.h"
#include "runtime/DescriptionWriter.h"
#include "runtime/WindowDescription.h"

namespace program {

constexpr std::vector<runtime::WindowDescription> MainWindowDescriptions() {
    return {MainWindowContent()};
}

#if RUNTIME_CONSTANT_DESCRIPTIONS
inline constexpr auto kMainWindowBlock = runtime::DescriptionBlockArray<&MainWindowDescriptions>();
static_assert(kMainWindowBlock.size() == 1174, "the main window's block changed size");
#endif

} // namespace program
