#include "core/common/numbers.h"

#include <charconv>
#include <cmath>

namespace orv {

long RoundHalfEven(double v) {
    // nearbyint honours the current rounding mode, which is to-nearest-even
    // unless someone changed it; do not depend on that.
    double fl = std::floor(v);
    double diff = v - fl;
    if (diff > 0.5) return static_cast<long>(fl) + 1;
    if (diff < 0.5) return static_cast<long>(fl);
    long f = static_cast<long>(fl);
    return (f % 2 == 0) ? f : f + 1;
}

long RoundHalfAway(double v) {
    // A decimal half such as 0.15 * 10 lands a hair below .5 in binary; the
    // nudge makes it round the way the written number does.
    return static_cast<long>(std::round(v + std::copysign(1e-9, v)));
}

long Int(double v) { return static_cast<long>(std::trunc(v)); }

std::string Format(double v, std::string_view pattern) {
    int decimals = 0;
    int int_digits = 0;
    bool after_point = false;
    for (char c : pattern) {
        if (c == '.') after_point = true;
        else if (c == '0') (after_point ? decimals : int_digits)++;
    }
    double scale = std::pow(10.0, decimals);
    long scaled = RoundHalfAway(v * scale);
    bool negative = scaled < 0;
    unsigned long mag = negative ? static_cast<unsigned long>(-scaled) : static_cast<unsigned long>(scaled);
    unsigned long whole = mag;
    unsigned long frac = 0;
    if (decimals > 0) {
        unsigned long s = static_cast<unsigned long>(scale);
        whole = mag / s;
        frac = mag % s;
    }
    auto padded = [](unsigned long n, int width) {
        std::string digits = std::to_string(n);
        if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
        return digits;
    };
    std::string out = negative ? "-" : "";
    out += padded(whole, int_digits);
    if (decimals > 0) {
        out += '.';
        out += padded(frac, decimals);
    }
    return out;
}

std::string Str(long v) { return std::to_string(v); }

std::optional<double> ParseNumber(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty()) return std::nullopt;
    std::size_t i = 0;
    if (t[0] == '+' || t[0] == '-') i = 1;
    int digits = 0, points = 0;
    for (std::size_t j = i; j < t.size(); ++j) {
        if (t[j] >= '0' && t[j] <= '9') ++digits;
        else if (t[j] == '.') ++points;
        else return std::nullopt;
    }
    if (digits == 0 || points > 1) return std::nullopt;
    std::string s(t.substr(t[0] == '+' ? 1 : 0));
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string Thousands(long v) {
    const std::string digits = Str(v < 0 ? -v : v);
    std::string out = v < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace orv
