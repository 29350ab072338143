#pragma once
// The console's number rules, in one place: conversions to a byte or an
// integer round halves to the even neighbour, formatting patterns round halves
// away from zero, and Int truncates.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Nearest integer, halves to even (12.5 -> 12, 13.5 -> 14).
long RoundHalfEven(double v);
// Nearest integer, halves away from zero (0.5 -> 1, -0.5 -> -1).
long RoundHalfAway(double v);
// Integer part, toward zero.
long Int(double v);

// Formats with one of the patterns the console uses: "#0", "#0.0", "0.0",
// "#00", "#00.0", "#000". The digit count after the point is the number of
// '0' after '.', the minimum integer digits the number of '0' before it.
std::string Format(double v, std::string_view pattern);

// A whole number as plain decimal text ("-20", "5").
std::string Str(long v);
// A whole number with its thousands grouped, for messages ("1,836").
std::string Thousands(long v);

// Reads a number typed by the user: optional blanks, an optional sign, digits
// with at most one decimal point, optional blanks. Anything else is not a
// number.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace orv
