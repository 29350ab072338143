#include "soak_log.h"

#include <fstream>
#include <sstream>
#include <string>

namespace orv::soak {

LogCounts& LogCounts::operator+=(const LogCounts& o) {
    requests += o.requests;
    replies += o.replies;
    dropped += o.dropped;
    truncated += o.truncated;
    noise += o.noise;
    console_violations += o.console_violations;
    noise_violations += o.noise_violations;
    late += o.late;
    late_asks += o.late_asks;
    return *this;
}

LogCounts CountLog(std::istream& in) {
    LogCounts c;
    bool after_noise = false;
    // The console's violations wait for the next reply: a late one takes one.
    unsigned long long pending = 0;
    auto settle = [&](bool late) {
        const unsigned long long ask = late && pending > 0 ? 1 : 0;
        c.late_asks += ask;
        c.console_violations += pending - ask;
        pending = 0;
    };
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        long long us = 0;
        std::string direction;
        if (!(words >> us >> direction)) continue;
        const auto open = line.find('(');
        const std::string note = open == std::string::npos ? "" : line.substr(open);
        if (direction == "RX") {
            if (note.find("malformed") != std::string::npos) continue;
            ++c.requests;
            if (note.find("violation") != std::string::npos) ++(after_noise ? c.noise_violations : pending);
            after_noise = false;
        } else if (direction == "TX") {
            const bool late = note.find("late") != std::string::npos;
            c.late += late;
            settle(late);
            if (note.find("dropped") != std::string::npos) ++c.dropped;
            if (note.find("dropped") != std::string::npos || note.find("no reply") != std::string::npos ||
                note.find("silent") != std::string::npos) {
                after_noise = false;
                continue;
            }
            ++c.replies;
            if (note.find("truncated") != std::string::npos) ++c.truncated;
            after_noise = note.find("noise") != std::string::npos;
            if (after_noise) ++c.noise;
        } else {
            settle(false);
            after_noise = false;  // a hang-up: nothing is on the line any more
        }
    }
    settle(false);
    return c;
}

LogCounts CountLog(const std::filesystem::path& path) {
    std::ifstream in(path);
    return CountLog(in);
}

}  // namespace orv::soak
