// The receive path for one live reply: notification, length check, dispatch,
// decoding with its read-outs and duty cycles, and the next request written.
#include <benchmark/benchmark.h>

#include "core/page/main_page.h"

namespace {

// Holds one reply and counts writes; nothing grows between iterations.
class LoopbackPort : public orv::SerialPort {
   public:
    bool Open(int) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Write(const orv::Bytes& bytes) override {
        written_ += bytes.size();
        return true;
    }
    std::size_t InBufferCount() const override { return in_.size(); }
    orv::Bytes Input() override { return std::move(in_); }
    void SetInBufferSize(std::size_t) override {}
    void Deliver(const orv::Bytes& reply) {
        in_ = reply;
        on_comm(orv::CommEvent::Receive);
    }
    std::size_t written() const { return written_; }

   private:
    bool open_ = false;
    orv::Bytes in_;
    std::size_t written_ = 0;
};

void BM_ReceiveLiveReply(benchmark::State& state) {
    LoopbackPort port;
    orv::Main_Page page(port, std::filesystem::temp_directory_path());
    page.link.comm_port = 1;
    page.StartCom();
    const orv::Bytes replies[2] = {{0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21},
                                   {0x41, 0x3C, 0x32, 0x30, 0x60, 0x64, 0x50, 0x50, 0x8A, 0x21}};
    int i = 0;
    for (auto _ : state) {
        port.Deliver(replies[i ^= 1]);
        benchmark::DoNotOptimize(page.form.rpm.Text.data());
    }
    if (port.written() != 3 * static_cast<std::size_t>(state.iterations() + 1)) state.SkipWithError("not one request per reply");
}
BENCHMARK(BM_ReceiveLiveReply);

}  // namespace
