#include "serial/line_vmin.h"

#ifdef __linux__
// The kernel's termios, not the C library's: kept apart from <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>
#endif

namespace orv::serial {

#ifdef __linux__
static_assert(sizeof(termios) <= LineVmin::kSettingsBytes);

bool LineVmin::Load(int fd) {
    termios settings{};
    loaded_ = fd >= 0 && ioctl(fd, TCGETS, &settings) == 0;
    if (loaded_) std::memcpy(settings_, &settings, sizeof settings);
    return loaded_;
}

bool LineVmin::Set(int fd, int vmin) {
    if (!loaded_ || vmin < 0 || vmin > 255) return false;
    termios settings{};
    std::memcpy(&settings, settings_, sizeof settings);
    settings.c_cc[VMIN] = static_cast<cc_t>(vmin);
    settings.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS, &settings) != 0) return false;
    std::memcpy(settings_, &settings, sizeof settings);
    return true;
}
#else
bool LineVmin::Load(int) { return false; }
bool LineVmin::Set(int, int) { return false; }
#endif

}  // namespace orv::serial
