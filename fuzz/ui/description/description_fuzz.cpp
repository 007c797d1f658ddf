// Whatever the reader accepts must survive the writer: the written bytes read back as the same
// descriptions and write again as the same bytes. Whatever it refuses must come with an error that
// points into the block.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/DescriptionWriter.h"
#include "ui/DescriptionReader.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "description_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<runtime::WindowDescription> first;
    runtime::DescriptionReadError error;
    if (!runtime::ReadDescriptionBlock(data, size, first, error)) {
        Check(!error.message.empty(), "a refusal without a message");
        Check(error.offset <= size, "an error offset past the block");
        Check(first.empty(), "descriptions left after a refusal");
        return 0;
    }
    Check(runtime::DescriptionIsWritable(first), "read descriptions that cannot be written");
    const runtime::ByteBlock written = runtime::WriteDescriptionBlock(first);
    std::vector<runtime::WindowDescription> second;
    Check(runtime::ReadDescriptionBlock(written.data(), written.size(), second, error),
          "the written block of accepted descriptions was refused");
    Check(second == first, "the written block reads back as other descriptions");
    Check(runtime::WriteDescriptionBlock(second) == written, "writing again gives other bytes");
    for (const runtime::WindowDescription& window : first) {
        (void)runtime::WindowIsLoadable(window);
    }
    return 0;
}
