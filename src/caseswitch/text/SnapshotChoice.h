// Which of the clipboard's listed formats a snapshot keeps, so that the content goes back as its
// owner placed it. Platform-free: the decision needs only the numbers and names of the formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "caseswitch/text/ClipboardFormats.h"

namespace runtime {

struct FormatToSave {
    std::uint32_t id = 0;
    bool enhancedMetafile = false; // read and put back as a metafile handle, not a memory block
};

// How many of the listed formats, from the first, the owner placed, on a clipboard kept by Wine:
// Wine lists the formats it synthesises after all placed ones, in a fixed order (CF_LOCALE, then
// the text, metafile and bitmap formats that are missing from their family). Reading a format Wine
// synthesises costs the reading process memory that is never given back, so under Wine only the
// placed formats are read. When the listing does not end as Wine would end it, all count as placed.
std::size_t PlacedUnderWine(const std::vector<std::uint32_t>& listed);

// Every format of the first `placed` listed ones whose data is bytes of its own, in listed order:
// not the handle formats (a bitmap, a metafile picture, a palette: the system makes them again
// from their family's memory formats), not display or private formats, not OLE links that would
// point into the copying program. Of the formats after `placed` (synthesised ones) only CF_LOCALE
// is kept, and a family's memory form when the owner placed only its handle form.
std::vector<FormatToSave> ChooseFormatsToSave(const std::vector<ListedFormat>& listed, std::size_t placed);

// Content up to this size goes back at once: under Wine putting it costs at most some 2.5 ms, less
// than anything a press waits for, and a content on the clipboard outlives any end of the program.
inline constexpr std::size_t kPutBackAtOnceBytes = std::size_t{1} << 20;
// Of a larger content, formats up to this size (its locale, short text forms) still go at once.
inline constexpr std::size_t kSmallFormatBytes = std::size_t{64} << 10;

// Whether a saved format of `formatBytes`, in a content of `contentBytes` in all, goes back only
// announced, to be rendered from the saved bytes when a reader asks for it or soon after the press.
bool PutBackLater(std::size_t formatBytes, std::size_t contentBytes);

} // namespace runtime
