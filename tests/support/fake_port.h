#pragma once
// An in-memory serial port: records every write, delivers reply bytes in
// whatever pieces a test chooses, and can be wired to a responder (the
// simulated controller) whose replies a test pumps one at a time.
#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "core/link/serial_port.h"

namespace orv::test {

class FakePort : public SerialPort {
   public:
    bool open_ok = true;   // false: the port is absent or busy
    bool write_ok = true;  // false: the adapter refuses writes
    int opened_port = 0;
    int open_count = 0;
    std::size_t in_buffer_size = 0;
    std::size_t rthreshold = 1;
    // Said through on_notice at every open, as an adapter's driver might.
    std::string notice_on_open;
    std::vector<Bytes> writes;  // one entry per write

    // Replies to each written frame; set to wire a controller in.
    std::function<Bytes(const Bytes&)> responder;
    std::function<void()> on_reply_delivered;

    bool Open(int port_number) override {
        if (!open_ok || port_number < 1) return false;
        open_ = true;
        opened_port = port_number;
        ++open_count;
        in_.clear();
        rthreshold = 1;
        if (!notice_on_open.empty() && on_notice) on_notice(notice_on_open);
        return true;
    }
    void Close() override {
        open_ = false;
        in_.clear();
        pending_.clear();
    }
    bool IsOpen() const override { return open_; }
    bool Write(const Bytes& bytes) override {
        if (!open_ || !write_ok) return false;
        writes.push_back(bytes);
        if (!pending_.empty()) ++lock_step_violations;  // a request while a reply is still to come
        // The controller answers once the whole request has crossed the line.
        if (responder)
            pending_.push_back({responder(bytes), now + static_cast<double>(bytes.size()) * kByteTime + latency});
        // A busy machine may hold the console up right after a write.
        now += hold_after_write;
        return true;
    }
    std::size_t InBufferCount() const override { return in_.size(); }
    Bytes Input() override { return std::exchange(in_, {}); }
    void SetInBufferSize(std::size_t size) override { in_buffer_size = size; }
    void SetRThreshold(std::size_t bytes) override { rthreshold = std::max<std::size_t>(bytes, 1); }

    // The port's clock. Each delivery comes a little later than anything
    // before it, so a reply never looks as if it beat its own request;
    // DeliverAt places bytes at a moment of the test's choosing.
    double now = 0;
    double hold_after_write = 0;
    double Now() const override { return now; }
    double latency = 0;  // from a request's end to its reply
    int lock_step_violations = 0;

    double wake_at = -1;  // when the link asked to be woken, -1 for never
    void WakeAt(double when) override { wake_at = when; }
    // The wake-up asked for, a little after its time.
    void WakeUp() {
        if (wake_at < 0) return;
        now = std::max(now, std::exchange(wake_at, -1.0) + 1e-6);
        Signal(CommEvent::Wake);
    }
    // Lets `seconds` pass in time order: replies, one after another, the link's wake-ups, `tick` each 100 ms.
    void RunFor(double seconds, const std::function<void()>& tick) {
        constexpr double kNever = 1e300;
        const double end = now + seconds;
        for (double next_tick = now + 0.1;;) {
            const double reply =
                pending_.empty() ? kNever : pending_.front().second + double(pending_.front().first.size()) * kByteTime;
            const double wake = wake_at < 0 ? kNever : std::max(now, wake_at);
            const double at = std::min({reply, wake, next_tick});
            if (at > end) break;
            if (at == reply) {
                Bytes bytes = std::move(pending_.front().first);
                pending_.pop_front();
                if (!pending_.empty()) pending_.front().second = std::max(pending_.front().second, at);
                if (on_reply_delivered) on_reply_delivered();
                DeliverAt(std::max(now, at), bytes);
            } else if (at == wake) {
                WakeUp();
            } else {
                now = at;
                next_tick += 0.1;
                tick();
            }
        }
        now = end;
    }
    static constexpr double kDeliveryGap = 0.01;
    static constexpr double kByteTime = 10.0 / 19200;

    // Bytes arrive and the port signals them.
    void Deliver(const Bytes& bytes) {
        now += kDeliveryGap;
        DeliverAt(now, bytes);
    }
    void DeliverAt(double at, const Bytes& bytes) {
        now = at;
        if (!open_) return;
        in_.insert(in_.end(), bytes.begin(), bytes.end());
        if (in_.size() >= rthreshold) Signal(CommEvent::Receive);
    }
    void DeliverByteByByte(const Bytes& bytes) {
        for (std::uint8_t b : bytes) Deliver({b});
    }
    int signals_sent = 0;
    void Signal(CommEvent e) {
        ++signals_sent;
        if (on_comm) on_comm(e);
    }

    // Delivers the responder's queued replies, oldest first, until none is
    // left or `max` were delivered; returns how many were.
    int Pump(int max = 1, bool byte_by_byte = false) {
        int n = 0;
        while (n < max && !pending_.empty()) {
            auto [reply, due] = std::move(pending_.front());
            pending_.pop_front();
            if (on_reply_delivered) on_reply_delivered();
            // At the line's pace: a byte every byte time from when it is due,
            // so bytes a reply carries past its length come right behind it.
            double at = std::max(now, due);
            if (byte_by_byte) {
                for (std::uint8_t b : reply) DeliverAt(at += kByteTime, {b});
            } else {
                DeliverAt(at + static_cast<double>(reply.size()) * kByteTime, reply);
            }
            ++n;
        }
        return n;
    }
    std::size_t PendingReplies() const { return pending_.size(); }

    // Every byte written, in order.
    Bytes Written() const {
        Bytes all;
        for (const Bytes& w : writes) all.insert(all.end(), w.begin(), w.end());
        return all;
    }
    void ClearWrites() { writes.clear(); }
    // Reads of each calibration block, and last of the read past them, among the writes from `from` on.
    std::vector<int> BlockReads(std::size_t from = 0) const {
        std::vector<int> reads(30, 0);
        for (std::size_t i = from; i < writes.size(); ++i)
            if (writes[i].size() == 3 && writes[i][0] == 0xC0)
                ++reads[((writes[i][1] << 8 | writes[i][2]) - 0xE000) / 64];
        return reads;
    }

   private:
    bool open_ = false;
    Bytes in_;
    std::deque<std::pair<Bytes, double>> pending_;  // replies, and when each may start
};

}  // namespace orv::test
