#include "sim/controller.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "sim/engine.h"

namespace orvsim {
namespace {

constexpr std::uint16_t kCalibrationEnd = kCalibrationBase + kCalibrationSize;  // exclusive
constexpr std::uint8_t kNoIgnition = 100;

bool IsMalformedStart(std::uint8_t b) { return b == 0x80 || b < 4; }

std::size_t RequestLength(std::uint8_t first) { return first & 0x80 ? 3 : first; }

bool InCalibration(std::uint16_t a) { return a >= kCalibrationBase && a < kCalibrationEnd; }

// Does [start, start + n) (wrapping at 64 KiB) touch [lo, lo + len)?
bool Touches(std::uint16_t start, std::size_t n, std::uint16_t lo, std::size_t len) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto a = static_cast<std::uint16_t>(start + i);
    if (a >= lo && a < lo + len) return true;
  }
  return false;
}

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

}  // namespace

Controller::Controller(Options options)
    : options_(options), memory_(0x10000, 0), rng_(0x5EED0000ull ^ options.seed) {
  const CalibrationImage image = DefaultCalibration();
  std::copy(image.begin(), image.end(), memory_.begin() + kCalibrationBase);
  RefreshLive(0);
}

std::vector<std::uint8_t> Controller::Receive(std::span<const std::uint8_t> bytes, double now) {
  std::vector<std::uint8_t> out;
  for (const Exchange& e : Feed(bytes, now)) out.insert(out.end(), e.reply.begin(), e.reply.end());
  return out;
}

std::vector<Exchange> Controller::Feed(std::span<const std::uint8_t> bytes, double now) {
  std::vector<Exchange> out;
  for (const std::uint8_t b : bytes) {
    if (pending_.empty()) {
      if (IsMalformedStart(b)) {
        ++stats_.malformed;
        Exchange e;
        e.request = {b};
        e.malformed = true;
        out.push_back(std::move(e));
        continue;
      }
      pending_violation_ = reply_outstanding_;
      if (pending_violation_) ++stats_.violations;
    }
    pending_.push_back(b);
    if (pending_.size() == RequestLength(pending_[0])) {
      out.push_back(Execute(now));
      pending_.clear();
    }
  }
  return out;
}

void Controller::ReplySent() { reply_outstanding_ = false; }

std::uint8_t Controller::Peek(std::uint16_t address) const { return memory_[address]; }

void Controller::Poke(std::uint16_t address, std::uint8_t v) { memory_[address] = v; }

bool Controller::HangupDue(double now) const {
  return options_.faults.hangup_after >= 0 && now >= options_.faults.hangup_after;
}

bool Controller::Silent(double now) const {
  return (options_.faults.silent_after >= 0 && now >= options_.faults.silent_after) || HangupDue(now);
}

std::uint8_t Controller::NextRandom() {
  // splitmix64
  std::uint64_t z = (rng_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint8_t>((z ^ (z >> 31)) >> 56);
}

Exchange Controller::Execute(double now) {
  Exchange e;
  e.request = pending_;
  e.violation = pending_violation_;
  const std::uint64_t k = ++stats_.requests;
  const Faults& f = options_.faults;
  if (Silent(now)) {
    e.silent = true;
    return e;
  }

  const auto address = static_cast<std::uint16_t>(pending_[1] << 8 | pending_[2]);
  if (pending_[0] & 0x80) {
    e.reply = Read(address, pending_[0] & 0x7F, now);
  } else {
    Write(address, std::span(pending_).subspan(3));
    e.reply = {pending_[1], pending_[2]};
  }

  if (f.drop_every && k % f.drop_every == 0) {
    e.dropped = true;
    e.reply.clear();
  } else {
    if (f.truncate_every && k % f.truncate_every == 0) {
      e.truncated = true;
      e.reply.pop_back();
    }
    const bool calibration_read = (pending_[0] & 0x80) && InCalibration(address);
    if ((f.noise_every && k % f.noise_every == 0) || (f.noisy_reads && calibration_read)) {
      e.noise = true;
      e.reply.push_back(NextRandom());
    }
  }
  if (!e.reply.empty()) {
    e.late = f.late_every && k % f.late_every == 0;
    ++stats_.replies;
    reply_outstanding_ = true;
  }
  return e;
}

std::vector<std::uint8_t> Controller::Read(std::uint16_t address, std::size_t n, double now) {
  if (Touches(address, n, addr::kLive, kLiveSize)) RefreshLive(now);
  std::vector<std::uint8_t> data(n);
  for (std::size_t i = 0; i < n; ++i) data[i] = memory_[static_cast<std::uint16_t>(address + i)];
  return data;
}

void Controller::Write(std::uint16_t address, std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto a = static_cast<std::uint16_t>(address + i);
    if (!InCalibration(a)) memory_[a] = data[i];
  }
  // The command acts once the whole request is stored, so a write that also
  // carries the host block sees the new block.
  if (Touches(address, data.size(), addr::kMode, 1)) ModeCommand(memory_[addr::kMode]);
}

void Controller::ModeCommand(std::uint8_t command) {
  switch (command) {
    case mode::kOpenBlock:
      block_open_ = true;
      break;
    case mode::kProgramBlock:
      // Only a block opened with 0x04 is programmed, as on the real EEPROM.
      if (block_open_) ProgramBlock();
      block_open_ = false;
      break;
    case mode::kEndProgramming:
      if (blocks_programmed_ > 0) ++programmed_sequences_;
      blocks_programmed_ = 0;
      block_open_ = false;
      break;
    case mode::kEnterHost:
      host_mode_ = true;
      break;
    case mode::kLeaveHost:
      host_mode_ = false;
      break;
    default:
      break;
  }
}

void Controller::ProgramBlock() {
  const std::uint16_t w = addr::kProgramWindow;
  const auto start = static_cast<std::uint16_t>(memory_[w] << 8 | memory_[w + 1]);
  const auto end = static_cast<std::uint16_t>(memory_[w + 2] << 8 | memory_[w + 3]);
  if (end < start) return;
  const std::size_t n = std::min<std::size_t>(end - start + 1u, kProgramBlockSize);
  // Only the EEPROM is programmable: the padding of the last block past
  // 0xE72B has nowhere to go.
  for (std::size_t i = 0; i < n; ++i) {
    const auto a = static_cast<std::uint16_t>(start + i);
    if (!InCalibration(a)) continue;
    std::uint8_t value = memory_[addr::kProgramBuffer + i];
    if (options_.faults.corrupt_program == a - kCalibrationBase) value ^= 0xFF;
    memory_[a] = value;
  }
  ++blocks_programmed_;
}

CalibrationImage Controller::calibration() const {
  CalibrationImage image;
  std::copy_n(memory_.begin() + kCalibrationBase, kCalibrationSize, image.begin());
  return image;
}

void Controller::RefreshLive(double now) {
  const Operating op = DriveCycle(now, options_.seed);
  Outputs out = ComputeOutputs(calibration(), op);
  if (host_mode_) {
    out.bank1 = memory_[addr::kHostBlock];
    out.bank2 = memory_[addr::kHostBlock + 1];
    out.advance = memory_[addr::kHostBlock + 2];
  }
  if (options_.model == Model::quil) out.advance = kNoIgnition;

  std::uint8_t* live = memory_.data() + addr::kLive;
  live[0] = ToByte(op.rpm / 100.0);
  live[1] = ToByte(RawPressure(op.pressure_bar));
  live[2] = ToByte(std::clamp(op.throttle_pct, 0.0, 100.0));
  live[3] = ToByte(op.air_c + 20.0);
  live[4] = ToByte(op.water_c + 20.0);
  live[5] = out.bank1;
  live[6] = out.bank2;
  live[7] = out.advance;
  live[8] = ToByte(op.battery_v * 10.0);
  live[9] = options_.firmware;
}

bool Controller::LoadCalibrationMap(std::istream& in, std::string* error) {
  std::vector<std::uint8_t> values;
  if (!ParseMap(in, &values, error)) return false;
  const std::size_t n = std::min(values.size(), kCalibrationSize);
  std::copy_n(values.begin(), n, memory_.begin() + kCalibrationBase);
  return true;
}

bool Controller::LoadCalibrationFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  if (!LoadCalibrationMap(in, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool Controller::SaveCalibrationFile(const std::string& path, std::string* error) const {
  return WriteFileAtomic(path, FormatMap(memory_.data() + kCalibrationBase, kCalibrationSize), error);
}

}  // namespace orvsim
