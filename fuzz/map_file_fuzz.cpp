// Map files: any content is read whole or refused whole, a clean one reads
// as the text does and survives a save, and its report can be written.
#include "core/files/map_file.h"
#include "core/files/map_report.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::Text(data, size);
    const ValueList list = ReadMapFile(fuzz::WriteScratch("a.map", text));
    if (!list.error.empty()) return 0;
    ORV_REQUIRE(list.values.size() <= static_cast<std::size_t>(kImageSize));
    ORV_REQUIRE(ParseValueList(text, kImageSize).values == list.values);
    Image image{};
    ApplyMapValues(image, list.values);
    const ValueList back = ParseValueList(FormatMapFile(image), kImageSize + 1);
    ORV_REQUIRE(back.error.empty() && back.values.size() == image.size());
    ORV_REQUIRE(std::equal(list.values.begin(), list.values.end(), back.values.begin()));
    ORV_REQUIRE(!MapReport(image, "a.map", size % 2 == 0).empty());
    return 0;
}
