// Recording files: any content loads cleanly or changes nothing, and a
// loaded recording saves back to its values, exports and plays.
#include <algorithm>

#include "core/files/value_list.h"
#include "core/recorder/recording.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::Text(data, size);
    RecorderState rec;
    std::fill(rec.rec_buffer.begin(), rec.rec_buffer.end(), 0xA5);
    const RecorderState before = rec;
    if (!LoadRecording(fuzz::WriteScratch("a.rec", text), rec).empty()) {
        ORV_REQUIRE(rec.rec_count == before.rec_count && rec.rec_buffer == before.rec_buffer);
        return 0;
    }
    const ValueList read = ParseValueList(text, kRecBufferSize);
    ORV_REQUIRE(read.error.empty() && rec.rec_count * kRecSampleSize == static_cast<double>(read.values.size()));
    ORV_REQUIRE(ParseValueList(FormatRecording(rec.rec_buffer, rec.rec_count), kRecBufferSize).values == read.values);
    const int samples = WholeSamples(rec.rec_count);
    ORV_REQUIRE(samples >= 0 && samples <= kRecMaxSamples);
    const std::string csv = FormatRecordingCsv(rec.rec_buffer, samples);
    ORV_REQUIRE(static_cast<int>(std::count(csv.begin(), csv.end(), '\n')) == samples + 1);
    LiveValues v;
    for (int k = 0; k < samples; ++k)
        LoadSample(std::span<const std::uint8_t, kRecSampleSize>(rec.rec_buffer.data() + k * kRecSampleSize, kRecSampleSize), v);
    return 0;
}
