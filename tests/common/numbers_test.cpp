#include <gtest/gtest.h>

#include "core/common/numbers.h"

using namespace orv;

TEST(Numbers, ConversionsRoundHalvesToEven) {
    const std::vector<std::pair<double, long>> cases = {
        {12.5, 12}, {13.5, 14}, {45.5, 46}, {28.5, 28}, {0.5, 0}, {1.5, 2}, {-0.5, 0}, {-1.5, -2},
        {122.5, 122}, {12.4999, 12}, {12.5001, 13}, {0.0, 0}, {255.0, 255}};
    for (auto [v, r] : cases) EXPECT_EQ(RoundHalfEven(v), r) << v;
}

TEST(Numbers, PatternsRoundHalvesAwayFromZero) {
    const std::vector<std::tuple<double, std::string, std::string>> cases = {
        {0.0, "#0.0", "0.0"},   {-1.0, "#0.0", "-1.0"}, {0.5, "#0.0", "0.5"},   {15.0, "#0.0", "15.0"},
        {1.25, "#0.0", "1.3"},  {-1.25, "#0.0", "-1.3"}, {0.15, "#0.0", "0.2"}, {12.5, "#0", "13"},
        {0.5, "#0", "1"},       {-0.5, "#0", "-1"},     {3.0, "#00", "03"},     {3.25, "#00.0", "03.3"},
        {7.0, "#000", "007"},   {-0.04, "#0.0", "0.0"}, {25.5, "#0.0", "25.5"}, {0.0, "0.0", "0.0"},
        {-20.0, "#0", "-20"}};
    for (const auto& [v, pattern, text] : cases) EXPECT_EQ(Format(v, pattern), text) << v << " " << pattern;
}

TEST(Numbers, TypedNumbers) {
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"12.3", 12.3}, {" -90 ", -90.0}, {"+5", 5.0}, {".5", 0.5}, {"-.5", -0.5}, {"25.", 25.0},
        {"", std::nullopt}, {"  ", std::nullopt}, {"abc", std::nullopt}, {"1e3", std::nullopt},
        {"1.2.3", std::nullopt}, {"--1", std::nullopt}, {"12a", std::nullopt}, {"-", std::nullopt},
        {".", std::nullopt}, {"0x10", std::nullopt}};
    for (const auto& [text, v] : cases) EXPECT_EQ(ParseNumber(text), v) << "\"" << text << "\"";
    EXPECT_EQ(Int(2.9), 2);
    EXPECT_EQ(Int(-2.9), -2);
}
