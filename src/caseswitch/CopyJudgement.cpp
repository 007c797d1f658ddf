#include "caseswitch/CopyJudgement.h"

#include <algorithm>

namespace runtime {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Registered format names and window class names are both compared without regard to case.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// Visual Studio Code's editor data is JSON such as
// {"version":1,"isFromEmptySelection":true,"multicursorText":null,"mode":"plaintext"}.
bool CopiedFromEmptySelection(std::string_view json) {
    constexpr std::string_view kKey = "\"isFromEmptySelection\"";
    json = json.substr(0, json.find('\0'));
    const auto skipSpace = [&](std::size_t at) {
        while (at < json.size() && (json[at] == ' ' || json[at] == '\t' || json[at] == '\r' || json[at] == '\n'))
            ++at;
        return at;
    };
    for (std::size_t key = json.find(kKey); key != std::string_view::npos; key = json.find(kKey, key + 1)) {
        std::size_t at = skipSpace(key + kKey.size());
        if (at >= json.size() || json[at] != ':') continue;
        at = skipSpace(at + 1);
        if (json.substr(at, 4) == "true") return true;
    }
    return false;
}

struct Exclusion {
    std::uint32_t id;                       // one of the system's formats, or 0
    std::string_view name;                  // a registered format's name, or empty
    bool (*applies)(std::string_view data); // null: the format's presence alone decides
};

// Formats whose presence makes a copy more than plain text, and where each comes from.
constexpr Exclusion kNotPlainText[] = {
    // Spreadsheets (Excel, and the programs that offer its formats): a copied cell's text is its
    // displayed value, so pasting it back would put the value over a formula.
    {0, "Biff5", nullptr},           // Excel 5.0/95 binary cells
    {0, "Biff8", nullptr},           // Excel 97-2003 binary cells, also offered by LibreOffice Calc
    {0, "Biff12", nullptr},          // Excel 2007 and later binary cells
    {0, "XML Spreadsheet", nullptr}, // Excel 2003 XML cells
    // Code editors copy the whole current line when nothing is selected and mark that copy;
    // pasting it would insert a converted duplicate line at the caret.
    {0, "MSDEVLineSelect", nullptr},                                     // Visual Studio, Scintilla (Notepad++)
    {0, "VisualStudioEditorOperationsLineCutCopyClipboardTag", nullptr}, // Visual Studio 2010 and later
    {0, "vscode-editor-data", &CopiedFromEmptySelection},                // Visual Studio Code
    // A rectangular (column) selection in the same editors: pasted back as plain text it would
    // land as one stream instead of a block.
    {0, "MSDEVColumnSelect", nullptr},
    // Files (Explorer's copy, and file managers that add the names as text): a paste of text
    // would not do what a paste of the files does.
    {format::kFileList, {}, nullptr},
};

bool Matches(const Exclusion& exclusion, const ListedFormat& listed) {
    return exclusion.id != 0 ? exclusion.id == listed.id : SameName(exclusion.name, listed.name);
}

// Console and terminal window classes.
constexpr std::string_view kConsoleWindowClasses[] = {
    "ConsoleWindowClass",            // the classic console window (conhost)
    "CASCADIA_HOSTING_WINDOW_CLASS", // Windows Terminal
    "WineConsoleClass",              // Wine's console window (its conhost)
};

} // namespace

bool FormatDataDecides(std::string_view formatName) {
    return std::any_of(std::begin(kNotPlainText), std::end(kNotPlainText), [&](const Exclusion& exclusion) {
        return exclusion.applies != nullptr && SameName(exclusion.name, formatName);
    });
}

CopyVerdict JudgeCopy(const std::vector<ListedFormat>& listed) {
    const bool hasText = std::any_of(listed.begin(), listed.end(),
                                     [](const ListedFormat& listedFormat) { return format::IsText(listedFormat.id); });
    if (!hasText) return CopyVerdict::NoText;
    for (const ListedFormat& listedFormat : listed) {
        for (const Exclusion& exclusion : kNotPlainText) {
            if (Matches(exclusion, listedFormat) && (!exclusion.applies || exclusion.applies(listedFormat.data))) {
                return CopyVerdict::NotPlainText;
            }
        }
    }
    return CopyVerdict::Text;
}

bool IsConsoleWindowClass(std::string_view className) {
    return std::any_of(std::begin(kConsoleWindowClasses), std::end(kConsoleWindowClasses),
                       [&](std::string_view console) { return SameName(console, className); });
}

} // namespace runtime
