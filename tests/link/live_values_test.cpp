// Decoding a live block without a window, as the recorder and the command-line
// tool do.
#include <gtest/gtest.h>

#include "core/link/live_values.h"

using namespace orv;

TEST(LiveValues, BlockLengthDecidesBatteryAndVersion) {
    const std::uint8_t block[10] = {0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21};
    LiveValues v;
    v.live_batt = 99;
    v.live_version = 7;
    DecodeLiveBlock(std::span(block, 8), kLiveBlockShort, v);
    EXPECT_EQ(v.live_rpm, 0x12);
    EXPECT_EQ(v.live_advance, 0x4B);
    EXPECT_EQ(v.live_batt, 99);  // an eight-byte block has none
    EXPECT_EQ(v.live_version, 7);
    DecodeLiveBlock(block, kLiveBlockShort, v);  // ten bytes while eight were asked for
    EXPECT_EQ(v.live_batt, 99);
    DecodeLiveBlock(block, kLiveBlockLong, v);
    EXPECT_EQ(v.live_batt, 0x78);
    EXPECT_EQ(v.live_version, 21);  // BCD 0x21: version 2.1
    const LiveValues before = v;
    DecodeLiveBlock(std::span(block, 7), kLiveBlockLong, v);  // too short: nothing changes
    EXPECT_EQ(v.live_rpm, before.live_rpm);
    EXPECT_EQ(v.live_batt, before.live_batt);

    const LiveTexts t = FormatLive(v);
    EXPECT_EQ(t.rpm, "1.8");
    EXPECT_EQ(t.pressure, "4.2");
    EXPECT_EQ(t.air, "0");
    EXPECT_EQ(t.water, "50");
    EXPECT_EQ(t.advance, "30");
    EXPECT_EQ(t.batt, "12.0");
    EXPECT_EQ(t.version, "2.1");
    EXPECT_TRUE(HasIgnition(90));
    EXPECT_FALSE(HasIgnition(91));
    for (const std::uint8_t byte : {std::uint8_t{90}, std::uint8_t{91}}) {  // past 90 no ignition, so no advance
        const std::uint8_t b[8] = {0, 0, 0, 0, 0, 0, 0, byte};
        DecodeLiveBlock(b, kLiveBlockShort, v);
        EXPECT_EQ(FormatLive(v).advance + (v.ignition ? "" : " none"), byte == 90 ? "45" : "0 none");
    }
}
