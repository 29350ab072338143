#pragma once
// A console in a scratch directory with an in-memory port, and the helpers
// tests use to bring it into the state they need.
#include <filesystem>
#include <string>

#include "core/page/main_page.h"
#include "tests/support/fake_port.h"

namespace orv::test {

// Runs the test in a fresh temporary directory, restoring the old one after.
class ScratchDir {
   public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return dir_; }
    void WriteFile(const std::string& name, const std::string& content) const;
    std::string ReadFile(const std::string& name) const;

   private:
    std::filesystem::path old_, dir_;
};

struct Console {
    ScratchDir dir;
    FakePort port;
    Main_Page page{port, dir.path()};

    // Start-up with config.dat naming `port_number` (0: no config.dat).
    void StartUp(int port_number = 1);
    // A ten-byte live reply from a controller with ignition and firmware 2.1.
    static Bytes LiveReply(std::uint8_t rpm = 0x12, std::uint8_t advance = 0x4B, std::uint8_t version = 0x21);
};

}  // namespace orv::test
