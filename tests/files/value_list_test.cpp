#include <gtest/gtest.h>

#include "core/files/value_list.h"

#include <fstream>

using namespace orv;

TEST(ValueList, ReadsValuesSeparatedByLinesCommasOrBlanks) {
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"1\r\n2\r\n255\r\n", {1, 2, 255}},
        {"1,2 3\t4\n\n5", {1, 2, 3, 4, 5}},
        {"  0  ", {0}},
        {"", {}},
        {"\r\n\r\n", {}},
        {"007", {7}},
    };
    for (const auto& [text, values] : cases) {
        ValueList v = ParseValueList(text, 1837);
        EXPECT_EQ(v.error, "") << text;
        EXPECT_EQ(v.values, values) << text;
    }
}

TEST(ValueList, StopsAtTheFirstBadValueKeepingThoseBefore) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"1\r\n256\r\n3", 1}, {"1,-1", 1}, {"1 2.5", 1}, {"x", 0}, {std::string("1\0" "2", 3), 0},
        {"1,2,3,4", 3},  // one more than the limit of 3
        {"99999999999999999999", 0},
    };
    for (const auto& [text, kept] : cases) {
        ValueList v = ParseValueList(text, 3);
        EXPECT_NE(v.error, "") << text;
        EXPECT_EQ(v.values.size(), kept) << text;
    }
}

TEST(ValueList, FileRoundTripAndOversizedFiles) {
    std::vector<std::uint8_t> values;
    for (int i = 0; i < 1837; ++i) values.push_back(static_cast<std::uint8_t>(i % 256));
    std::string text = FormatValueList(values.data(), values.size());
    EXPECT_EQ(text.substr(0, 6), "0\r\n1\r\n");
    EXPECT_EQ(ParseValueList(text, 1837).values, values);

    auto path = std::filesystem::temp_directory_path() / "orv-value-list-test.map";
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(10 * 1024 * 1024, ' ');
    }
    EXPECT_EQ(ReadValueFile(path, 1837).error, "file too large");
    std::filesystem::remove(path);
    EXPECT_NE(ReadValueFile(path, 1837).error, "");
}
