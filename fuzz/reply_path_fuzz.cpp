// The receive path against a controller whose replies come in any pieces,
// late, cut short, dropped or with a stray byte behind them, while the user
// presses Connect, picks ports and starts transfers and host mode, and the
// timer ticks. The link engine runs alone, with no window behind it, so any
// order of those is tried, even ones the window's buttons would not allow. Two things must hold throughout: no request is written while
// the reply to the one before may still arrive, and nothing but the whole
// reply to the request on the line is ever taken as its reply.
#include <algorithm>
#include <optional>
#include <utility>

#include "core/link/link.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

namespace {

// The line and the controller behind it, both driven by the fuzzer.
class Line : public SerialPort {
   public:
    explicit Line(fuzz::Input& in) : in_(in) {}

    bool Open(int port_number) override {
        if (port_number < 1) return false;
        // A reply owed on another port never comes here.
        if (port_number != port_) owed_.clear(), stray_ = false;
        port_ = port_number;
        open_ = true;
        buffer_.clear();
        threshold_ = 1;
        return true;
    }
    void Close() override {
        open_ = false;
        buffer_.clear();
    }
    bool IsOpen() const override { return open_; }
    bool Write(const Bytes& frame) override {
        ORV_REQUIRE(open_ && !frame.empty());
        ORV_REQUIRE(owed_.empty());  // a second request while a reply is still coming
        // Reads are answered with the bytes asked for, writes with two.
        reply_ = in_.Bytes(frame[0] & 0x80 ? frame[0] & 0x7F : 2);
        owed_ = reply_;
        due_ = now_ + static_cast<double>(frame.size()) * kByteSeconds;
        stray_ = false;
        switch (in_.Below(8)) {
            case 0: owed_.clear(); break;                        // never answered
            case 1: owed_.resize(in_.Below(static_cast<int>(owed_.size()))); break;  // cut short
            case 2: stray_ = true; break;                        // a stray byte right behind
            default: break;
        }
        return true;
    }
    std::size_t InBufferCount() const override { return buffer_.size(); }
    // The first take of an arrival is the reply when one is taken; handlers
    // may discard after it.
    Bytes Input() override {
        if (!taken_) taken_ = buffer_;
        return std::exchange(buffer_, {});
    }
    void SetInBufferSize(std::size_t) override {}
    void SetRThreshold(std::size_t bytes) override { threshold_ = std::max<std::size_t>(bytes, 1); }
    double Now() const override { return now_; }

    // The next piece of the owed reply, after a pause of a few byte times.
    void DeliverPiece(Link& link) {
        if (owed_.empty()) return;
        const std::size_t n = std::min<std::size_t>(owed_.size(), 1 + in_.Below(static_cast<int>(owed_.size())));
        Bytes piece(owed_.begin(), owed_.begin() + static_cast<std::ptrdiff_t>(n));
        owed_.erase(owed_.begin(), owed_.begin() + static_cast<std::ptrdiff_t>(n));
        const bool stray_now = owed_.empty() && std::exchange(stray_, false);
        const bool stray_with_it = stray_now && in_.Below(2);
        if (stray_with_it) piece.push_back(in_.Byte());
        now_ = std::max(now_ + in_.Below(4) * kByteSeconds, due_) + static_cast<double>(n) * kByteSeconds;
        Arrive(link, piece);
        if (stray_now && !stray_with_it) {
            now_ += kByteSeconds / 4;
            Arrive(link, {in_.Byte()});
        }
    }
    // A tick is 100 ms: the rest of a reply has come by then, or never will.
    void Tick(Link& link) {
        if (!owed_.empty() && in_.Below(2)) {
            owed_.resize(in_.Below(static_cast<int>(owed_.size()) + 1));
            stray_ = false;
        }
        while (!owed_.empty() || stray_) DeliverPiece(link);
        now_ += 0.1;
        link.Tick();
    }
    void Signal(CommEvent e) {
        if (open_ && on_comm) on_comm(e);
    }

   private:
    void Arrive(Link& link, const Bytes& bytes) {
        if (!open_) return;
        const Bytes expected = reply_;
        const unsigned long replies = link.state().replies;
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        taken_.reset();
        // Under the console's receive threshold the bytes wait unsignalled.
        if (buffer_.size() >= threshold_) Signal(CommEvent::Receive);
        // Taken as a reply: it must be the whole reply to the request answered.
        if (link.state().replies != replies) ORV_REQUIRE(link.state().replies == replies + 1 && taken_ == expected);
    }

    fuzz::Input& in_;
    bool open_ = false;
    int port_ = 0;
    double now_ = 1000, due_ = 0;
    Bytes buffer_, reply_, owed_;
    std::optional<Bytes> taken_;
    bool stray_ = false;
    std::size_t threshold_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Line line(in);
    Image image{};
    Link link(line, image);
    line.on_comm = [&link](CommEvent e) { link.OnComm(e); };
    link.UsePort(1);
    for (int actions = 0; !in.Empty() && actions < 2000; ++actions) {
        switch (in.Below(16)) {
            case 0: line.Tick(link); break;
            case 1: link.Connect(); break;
            case 2: link.UsePort(1 + in.Below(7)); break;
            case 3: link.StartUpload(); break;
            case 4: link.StartDownload(in.Below(2) != 0); break;
            case 5: link.EnterHost(); break;
            case 6: link.LeaveHost(); break;
            case 7: link.PollIfIdle(); break;
            case 8: line.Signal(static_cast<CommEvent>(1 + in.Below(3))); break;
            default: line.DeliverPiece(link); break;
        }
    }
    return 0;
}
