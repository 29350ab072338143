#pragma once
// A console wired to the simulated controller through the in-memory port:
// each request is answered by orvsim::Controller, and Run lets simulated time
// pass, replies as they come and one tick every 100 ms.
#include "sim/controller.h"
#include "tests/support/console_fixture.h"

namespace orv::test {

struct SimConsole : Console {
    explicit SimConsole(orvsim::Options options = {}) : sim(options) {
        port.responder = [this](const Bytes& request) { return sim.Receive(request, now); };
        port.on_reply_delivered = [this] { sim.ReplySent(); };
    }
    void Run(double seconds, int replies_per_tick = 10, bool byte_by_byte = false) {
        for (double end = now + seconds; now < end; now += 0.1) {
            port.Pump(replies_per_tick, byte_by_byte);
            page.Timer1_Timer();
            if (on_tick) on_tick();
        }
    }
    // Run on the port's clock: replies and the link's wake-ups when they are due.
    void RunClocked(double seconds) {
        port.RunFor(seconds, [this] { now = port.now, page.Timer1_Timer(), on_tick ? on_tick() : void(); });
    }
    // Every reply a transfer asks for, byte by byte, with the ticks a
    // request waiting for a quiet line needs and no others; the polling that
    // follows a transfer is left waiting.
    void RunToEnd() {
        auto transfer_replies = [this] {
            int n = 0;
            while (page.Transferring() != TransferUnderWay::None && port.Pump(1, true) > 0) ++n;
            return n;
        };
        while (transfer_replies() > 0 || page.link.settling) page.Timer1_Timer();
    }

    orvsim::Controller sim;
    double now = 0;
    std::function<void()> on_tick;
};

}  // namespace orv::test
