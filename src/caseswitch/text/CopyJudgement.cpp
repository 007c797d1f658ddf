#include "caseswitch/text/CopyJudgement.h"

#include <algorithm>
#include <optional>
#include <string>

#include "caseswitch/text/AsciiNames.h"
#include "caseswitch/text/SnapshotChoice.h"
#include "caseswitch/text/WebCustomData.h"

namespace runtime {
namespace {

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

// A page's own types in the browser engine's pickle. The offer carries none of them back, so a
// page that reads its own type when it pastes (a web spreadsheet's cells with their formulas, a
// web word processor's document slice) would get only the text and lose the rest: every type but
// the few known to describe nothing more than the text makes the copy more than plain text.
bool WebDataIsMoreThanText(std::string_view data) {
    const std::optional<std::vector<WebCustomEntry>> entries = ReadWebCustomData(data);
    // Data that cannot be read cannot be told harmless.
    if (!entries) return true;
    return std::any_of(entries->begin(), entries->end(), [](const WebCustomEntry& entry) {
        const std::string type = AsciiOf(entry.type);
        // Editors built on Monaco (VS Code, and web IDEs): the mode and the multi-cursor split of
        // a copied text, and whether it is the whole line copied with nothing selected.
        if (SameAsciiName(type, "vscode-editor-data")) return CopiedFromEmptySelection(AsciiOf(entry.data));
        // VS Code's id of a copy, which its paste providers match against; it carries no content.
        if (SameAsciiName(type, "application/vnd.code.copymetadata")) return false;
        return !SameAsciiName(type, "text/plain") && !SameAsciiName(type, "text/html");
    });
}

// Google Sheets marks the HTML of copied cells, whose values and formulas it keeps in attributes
// that a text conversion leaves as they were (the pasted cell would show one text and hold another).
bool FromWebSpreadsheet(std::string_view html) {
    return html.find("google-sheets-html-origin") != std::string_view::npos ||
           html.find("data-sheets-value") != std::string_view::npos;
}

// QQ's rich edit data lists a message's parts as <EditElement type="N"> elements: type 0 is text,
// the others pictures, faces and files, which the offer cannot carry back.
bool ChatMessageHasObjects(std::string_view xml) {
    constexpr std::string_view kElement = "<EditElement";
    constexpr std::string_view kType = "type=\"";
    for (std::size_t element = xml.find(kElement); element != std::string_view::npos;
         element = xml.find(kElement, element + kElement.size())) {
        const std::size_t end = xml.find('>', element);
        const std::string_view tag = xml.substr(element, end == std::string_view::npos ? end : end - element);
        const std::size_t type = tag.find(kType);
        if (type == std::string_view::npos || tag.substr(type + kType.size(), 2) != "0\"") return true;
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
    {0, "HTML Format", &FromWebSpreadsheet},
    // Pages and editors in a browser engine (Chromium, Edge, Electron, VS Code).
    {0, kWebCustomDataFormat, &WebDataIsMoreThanText},
    // Code editors copy the whole current line when nothing is selected and mark that copy;
    // pasting it would insert a converted duplicate line at the caret.
    {0, "MSDEVLineSelect", nullptr},                                     // Visual Studio, Scintilla (Notepad++)
    {0, "VisualStudioEditorOperationsLineCutCopyClipboardTag", nullptr}, // Visual Studio 2010 and later
    // A rectangular (column) selection in the same editors: pasted back as plain text it would
    // land as one stream instead of a block.
    {0, "MSDEVColumnSelect", nullptr},
    // Chat programs: a message's pictures, faces and files (QQ, TIM).
    {0, "QQ_Unicode_RichEdit_Format", &ChatMessageHasObjects},
    {0, "QQ_RichEdit_Format", &ChatMessageHasObjects},
    // Office drawing objects (shapes, SmartArt, charts, text boxes as objects), which the offer's
    // rich text cannot hold: Office 2007 and later, and the office suites that offer its format.
    {0, "Art::GVML ClipFormat", nullptr},
    {0, "PowerPoint 12.0 Internal Shapes", nullptr},
    {0, "Office Drawing Shape Format", nullptr}, // Office 2003 and earlier
    // Files (Explorer's copy, and file managers that add the names as text), and files that exist
    // only in the copying program (mail attachments, chat programs' received files): a paste of
    // text would not do what a paste of the files does.
    {format::kFileList, {}, nullptr},
    {0, "FileGroupDescriptorW", nullptr},
    {0, "FileGroupDescriptor", nullptr},
    {0, "Shell IDList Array", nullptr},
};

bool Matches(const Exclusion& exclusion, const ListedFormat& listed) {
    return exclusion.id != 0 ? exclusion.id == listed.id : SameAsciiName(exclusion.name, listed.name);
}

// Editors that copy the whole current line, with its line break, when nothing is selected, and
// mark that copy in no format: known by their main window's class.
constexpr std::string_view kUnmarkedLineCopiers[] = {
    "SunAwtFrame",     // JetBrains IDEs (IntelliJ IDEA, PyCharm, CLion...) and other Java programs
    "PX_WINDOW_CLASS", // Sublime Text
};

// A single whole line: one line break, at the very end.
bool IsOneWholeLine(std::string_view text) {
    if (text.empty() || text.back() != '\n') return false;
    return text.find('\n') == text.size() - 1;
}

bool IsUnmarkedLineCopy(const CopyContext& context) {
    const bool copier =
        std::any_of(std::begin(kUnmarkedLineCopiers), std::end(kUnmarkedLineCopiers),
                    [&](std::string_view name) { return SameAsciiName(name, context.foregroundClass); });
    return copier && IsOneWholeLine(context.text);
}

} // namespace

bool FormatDataDecides(std::string_view formatName) {
    return std::any_of(std::begin(kNotPlainText), std::end(kNotPlainText), [&](const Exclusion& exclusion) {
        return exclusion.applies != nullptr && SameAsciiName(exclusion.name, formatName);
    });
}

CopyVerdict JudgeCopy(const std::vector<ListedFormat>& listed, const CopyContext& context) {
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
    return IsUnmarkedLineCopy(context) ? CopyVerdict::NotPlainText : CopyVerdict::Text;
}

std::uint32_t TextFormatToRead(const std::vector<ListedFormat>& listed) {
    // The system lists the text forms it makes after every placed format and the locale (Wine's
    // conformance tests pin this order on Windows too), which is how the placed ones are told.
    std::vector<std::uint32_t> ids(listed.size());
    std::transform(listed.begin(), listed.end(), ids.begin(), [](const ListedFormat& format) { return format.id; });
    const auto placedEnd = ids.begin() + static_cast<std::ptrdiff_t>(PlacedUnderWine(ids));
    if (std::find(ids.begin(), placedEnd, format::kUnicodeText) != placedEnd) return format::kUnicodeText;
    const auto text = std::find_if(ids.begin(), ids.end(), &format::IsText);
    return text != ids.end() ? *text : 0;
}

} // namespace runtime
