// The transfer steps from their start: an upload with replies of any length
// and content stores only inside the calibration area and ends; a download of
// any image programs exactly the area, block by block, and ends.
#include "core/link/frames.h"
#include "core/link/transfer.h"
#include "fuzz/fuzz_support.h"

using namespace orv;
using namespace orv::transfer;

namespace {

void Upload(fuzz::Input& in) {
    Image image{};
    image.back() = 0x5A;
    Image expected = image;
    std::int16_t pos = 0;
    int reads = 0;
    do {
        const Bytes frame = NextRead(pos);
        ORV_REQUIRE(frame.size() == 3 && frame[0] == (0x80 | kReadReplyLength) && ++reads <= 30);
        // A reply is usually a block; the fuzzer may cut or stretch it.
        const std::size_t len = in.Below(4) ? kBlockSize : in.Below(kBlockSize + 16);
        const Bytes reply = in.Bytes(len);
        if (UploadDone(pos)) break;
        const std::optional<int> last = StoreBlock(image, pos, reply);
        for (std::size_t i = 0; i < len && i < static_cast<std::size_t>(kBlockSize); ++i)
            if (pos - kBlockSize + static_cast<int>(i) < kEndOfArea) expected[pos - kBlockSize + i] = reply[i];
        ORV_REQUIRE(!last || (*last >= 0 && *last < kEndOfArea));
    } while (true);
    ORV_REQUIRE(image == expected);
}

void Download(fuzz::Input& in) {
    Image image;
    for (std::uint8_t& b : image) b = in.Byte();
    std::int16_t pos = 0, step = 0;
    Bytes programmed;  // what the controller's buffer writes carried, in order
    int writes = 0, mode = -1;
    while (std::optional<DownloadWrite> w = NextWrite(image, pos, step)) {
        ORV_REQUIRE(++writes <= 5 * 30 && !w->frame.empty() && w->frame[0] == w->frame.size());
        if (w->frame.size() == 3 + frames::kBlockSize) {
            ORV_REQUIRE(mode == frames::kModeOpenBlock && w->progress && *w->progress <= kEndOfArea);
            programmed.insert(programmed.end(), w->frame.begin() + 3, w->frame.end());
        } else if (w->frame.size() == 4) {
            mode = w->frame[3];
        }
    }
    ORV_REQUIRE(step == kDownloadDone + 1 && mode == frames::kModeEndProgramming);
    ORV_REQUIRE(programmed.size() >= static_cast<std::size_t>(kCalibrationBytes) &&
                programmed.size() < static_cast<std::size_t>(kCalibrationBytes + kBlockSize));
    for (std::size_t i = 0; i < programmed.size(); ++i)
        ORV_REQUIRE(programmed[i] == image[std::min<std::size_t>(i, kLastAreaByte)]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    if (in.Byte() % 2) Upload(in);
    else Download(in);
    return 0;
}
