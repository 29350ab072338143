#pragma once
// What every fuzz target shares: the input read as a stream of choices, a
// scratch folder on a RAM disk where there is one, and a check that stops the
// run at once with what was violated.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace orv::fuzz {

class Input {
   public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    // Past the end every choice is 0.
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Below(int n) { return Byte() % n; }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> out(n);
        for (std::uint8_t& b : out) b = Byte();
        return out;
    }
    // Up to the next 0 byte, or the end.
    std::string String() {
        std::string s;
        while (at_ < size_ && data_[at_] != 0) s += static_cast<char>(data_[at_++]);
        ++at_;
        return s;
    }

   private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

[[noreturn]] inline void Violated(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\n%s:%d: violated: %s\n", file, line, what);
    std::abort();
}
#define ORV_REQUIRE(cond) ((cond) ? (void)0 : ::orv::fuzz::Violated(#cond, __FILE__, __LINE__))

// Made once per process and removed at its end.
inline const std::filesystem::path& ScratchDir() {
    static const std::filesystem::path dir = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path();
        std::string name = (base / "orv-fuzz-XXXXXX").string();
        if (!::mkdtemp(name.data())) std::abort();
        std::atexit([] { std::error_code e; std::filesystem::remove_all(ScratchDir(), e); });
        return std::filesystem::path(name);
    }();
    return dir;
}

inline std::filesystem::path WriteScratch(const std::string& name, std::string_view content) {
    const std::filesystem::path path = ScratchDir() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace orv::fuzz
