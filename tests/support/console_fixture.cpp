#include "tests/support/console_fixture.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace orv::test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("orv-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(dir_, ec);
}

void ScratchDir::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
}

std::string ScratchDir::ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Console::StartUp(int port_number) {
    if (port_number > 0) dir.WriteFile("config.dat", std::to_string(port_number) + ",\"\",\"\"\r\n");
    page.Form_Load();
    // The in-memory controller answers at once, and the link has learnt so:
    // a request left unanswered is asked again at the second tick.
    page.link.latency = 0;
}

Bytes Console::LiveReply(std::uint8_t rpm, std::uint8_t advance, std::uint8_t version) {
    return {rpm, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, advance, 0x78, version};
}

}  // namespace orv::test
