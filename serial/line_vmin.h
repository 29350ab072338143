#pragma once
// A terminal line's VMIN, set in one call to the driver. The C library's
// tcsetattr reads the settings back around each write (three system calls),
// and the link moves VMIN twice a reply.
#include <cstddef>

namespace orv::serial {

class LineVmin {
   public:
    // Reads the line's settings as the driver holds them; false if it cannot.
    bool Load(int fd);
    // The settings read last with VMIN set to `vmin` and VTIME to 0.
    bool Set(int fd, int vmin);
    // Room for the driver's settings structure.
    static constexpr std::size_t kSettingsBytes = 64;

   private:
    // The driver's own settings structure, whose layout the C library's
    // differs from; only line_vmin.cpp sees it.
    unsigned char settings_[kSettingsBytes] = {};
    bool loaded_ = false;
};

}  // namespace orv::serial
