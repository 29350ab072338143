#include "core/link/frames.h"

namespace orv::frames {

namespace {
constexpr std::uint8_t kReadFlag = 0x80;  // a read request's first byte: the flag and the count
}  // namespace

Bytes Read(std::uint16_t address, std::uint8_t count) {
    return {static_cast<std::uint8_t>(kReadFlag | count), static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address & 0xFF)};
}

Bytes Write(std::uint16_t address, std::span<const std::uint8_t> data) {
    Bytes f;
    f.reserve(3 + data.size());
    f.push_back(static_cast<std::uint8_t>(3 + data.size()));
    f.push_back(static_cast<std::uint8_t>(address >> 8));
    f.push_back(static_cast<std::uint8_t>(address & 0xFF));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

Bytes LiveRead(std::uint8_t live_len) { return Read(kLiveBlock, live_len); }

Bytes BlockRead(std::uint16_t address) { return Read(address, kBlockSize); }

Bytes ModeWrite(std::uint8_t mode) { return Write(kModeRegister, std::span<const std::uint8_t>(&mode, 1)); }

Bytes ProgramWindowWrite(std::uint16_t start) {
    auto end = static_cast<std::uint16_t>(start + kBlockSize - 1);
    const std::uint8_t window[4] = {static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start & 0xFF),
                                    static_cast<std::uint8_t>(end >> 8), static_cast<std::uint8_t>(end & 0xFF)};
    return Write(kProgramWindow, window);
}

Bytes ProgramBufferWrite(std::span<const std::uint8_t, kBlockSize> data) { return Write(kProgramBuffer, data); }

Bytes HostParamsWrite(std::span<const std::uint8_t, 9> params) { return Write(kHostParams, params); }

}  // namespace orv::frames
