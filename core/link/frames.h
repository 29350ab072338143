#pragma once
// Every request the console sends, byte for byte. Reads are 0x80 + count and
// a big-endian address; writes are their own length, an address and data.
#include <cstdint>
#include <span>

#include "core/link/serial_port.h"

namespace orv::frames {

constexpr std::uint16_t kLiveBlock = 0x0103;
constexpr std::uint16_t kModeRegister = 0x0145;
constexpr std::uint16_t kHostParams = 0x0146;
constexpr std::uint16_t kProgramWindow = 0x00A1;
constexpr std::uint16_t kProgramBuffer = 0x004C;

constexpr std::uint8_t kModeOpenBlock = 0x04;
constexpr std::uint8_t kModeProgramBlock = 0x06;
constexpr std::uint8_t kModeEndProgramming = 0x10;
constexpr std::uint8_t kModeHostOn = 0x08;
constexpr std::uint8_t kModeHostOff = 0x00;

constexpr std::size_t kWriteReplyLength = 2;
constexpr std::size_t kBlockSize = 64;

Bytes Read(std::uint16_t address, std::uint8_t count);
Bytes Write(std::uint16_t address, std::span<const std::uint8_t> data);

// Always three bytes: 0x8A 01 03 for the 10-byte block, 0x88 01 03 for 8.
Bytes LiveRead(std::uint8_t live_len);
Bytes BlockRead(std::uint16_t address);  // 64 bytes of the calibration area
Bytes ModeWrite(std::uint8_t mode);
Bytes ProgramWindowWrite(std::uint16_t start);  // start .. start + 63
Bytes ProgramBufferWrite(std::span<const std::uint8_t, kBlockSize> data);
Bytes HostParamsWrite(std::span<const std::uint8_t, 9> params);

}  // namespace orv::frames
