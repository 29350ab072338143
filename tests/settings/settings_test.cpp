// Engine settings: each control writes its own byte of the active slot's
// settings block, and the refresh shows the block without changing it.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::Console;
using orv::test::RandomImage;

namespace {

// What a settings block should look like on the window, worked out here from
// the bytes alone.
struct Shown {
    std::string cylinders, rpm_switch, water, delta, window, load_time, limiter;
    int cyl_bar, rpm_bar, water_bar, delta_bar, window_bar, load_bar, limiter_bar;
    bool full, off, inverted, bank2;
};

std::string Tenths(int b) { return std::to_string(b / 10) + "." + std::to_string(b % 10); }

Shown Expected(const Image& image, int base) {
    auto at = [&](int rel) { return static_cast<int>(image[base + rel]); };
    static const char* counts[] = {"1", "2", "4", "5", "6", "8"};
    const int code = at(150) & 0x7F;
    Shown s;
    s.cylinders = code <= 5 ? counts[code] : "1";
    s.rpm_switch = Tenths(at(151));
    s.water = std::to_string(at(152) * 5 - 20);
    s.delta = std::to_string(at(153));
    s.window = std::to_string(at(154));
    s.load_time = Tenths(at(155));
    s.limiter = Tenths(at(156));
    // A byte past its bar's range puts the bar at the end of the range.
    s.cyl_bar = std::min(code, 5);
    s.rpm_bar = std::min(at(151), 150);
    s.water_bar = std::min(at(152), 30);
    s.delta_bar = std::min(at(153), 99);
    s.window_bar = std::min(at(154), 90);
    s.load_bar = std::min(at(155), 70);
    s.limiter_bar = std::min(at(156), 150);
    s.full = (at(150) & 0x80) != 0;
    s.off = (at(158) & 0x08) != 0;
    s.inverted = (at(158) & 0x04) != 0;
    s.bank2 = (at(158) & 0x01) != 0;
    return s;
}

void ExpectShown(Main_Page& p, const Shown& s, const std::string& what) {
    const auto& f = p.form;
    EXPECT_EQ(f.ncylinder.Text, s.cylinders) << what;
    EXPECT_EQ(f.TRPMAcc.Text, s.rpm_switch) << what;
    EXPECT_EQ(f.TWaterAcc.Text, s.water) << what;
    EXPECT_EQ(f.pdeltatps.Text, s.delta) << what;
    EXPECT_EQ(f.windowsize.Text, s.window) << what;
    EXPECT_EQ(f.loadtime.Text, s.load_time) << what;
    EXPECT_EQ(f.TLimiter.Text, s.limiter) << what;
    EXPECT_EQ(f.cylinsel.Value(), s.cyl_bar) << what;
    EXPECT_EQ(f.RPMAcc.Value(), s.rpm_bar) << what;
    EXPECT_EQ(f.WaterAcc.Value(), s.water_bar) << what;
    EXPECT_EQ(f.deltasel.Value(), s.delta_bar) << what;
    EXPECT_EQ(f.windowsel.Value(), s.window_bar) << what;
    EXPECT_EQ(f.loadtimesel.Value(), s.load_bar) << what;
    EXPECT_EQ(f.Limiter.Value(), s.limiter_bar) << what;
    EXPECT_EQ(f.FullSel.Value(), s.full ? 1 : 0) << what;
    EXPECT_EQ(p.cal.full_sel, s.full) << what;
    EXPECT_EQ(f.ignsel.Value(), s.off) << what;
    EXPECT_EQ(f.bank2sel.Value(), !s.off) << what;
    EXPECT_EQ(f.bank2mem.Enabled, !s.off) << what;
    EXPECT_EQ(f.igninv.Value(), s.inverted) << what;
    EXPECT_EQ(f.ignnormal.Value(), !s.inverted) << what;
    EXPECT_EQ(f.bank2mem.Value(), s.bank2) << what;
    EXPECT_EQ(f.bank1mem.Value(), !s.bank2) << what;
    EXPECT_FALSE(f.IgnMem.Value()) << what;
}

// The image after a refresh of block `base`: only its view bits change, to
// 01 when bit 0 was set and 00 otherwise.
Image AfterRefresh(Image image, int base) {
    std::uint8_t& flags = image[base + 158];
    flags = static_cast<std::uint8_t>((flags & 0xFC) | (flags & 0x01));
    return image;
}

}  // namespace

TEST(Settings, EachByteIsShownInItsUnitsAndStaysAsRead) {
    struct Case {
        int rel, value;
    };
    const std::vector<Case> cases = {
        {150, 0x00}, {150, 0x01}, {150, 0x02}, {150, 0x03}, {150, 0x04}, {150, 0x05}, {150, 0x85},
        {150, 0x82}, {150, 0x80}, {150, 0x06}, {150, 0x07}, {150, 0x7F}, {150, 0x86}, {150, 0xFF},
        {151, 0},    {151, 5},    {151, 150},  {151, 151},  {151, 255},  {152, 0},    {152, 30},
        {152, 7},    {152, 31},   {152, 255},  {153, 0},    {153, 99},   {153, 100},  {153, 255},
        {154, 90},   {154, 91},   {155, 70},   {155, 71},   {155, 255},  {156, 0},    {156, 150},
        {156, 200},  {158, 0x04}, {158, 0x08}, {158, 0x0C}, {158, 0x03}, {158, 0x02}, {158, 0xF1},
    };
    for (int slot : {0, 2}) {
        for (const Case& k : cases) {
            Console c;
            c.StartUp(0);
            // A new image arrives (an upload, a map file) and is shown.
            const int base = slot * 459;
            c.page.cal.mem_image[157] = static_cast<std::uint8_t>(slot);
            c.page.cal.mem_image[base + k.rel] = static_cast<std::uint8_t>(k.value);
            const Image before = c.page.cal.mem_image;
            c.page.Show_Mem_Slot();
            c.page.Show_Settings();
            const std::string what =
                std::to_string(k.rel) + "=" + std::to_string(k.value) + " slot " + std::to_string(slot);
            ExpectShown(c.page, Expected(before, base), what);
            EXPECT_EQ(c.page.cal.mem_image, AfterRefresh(before, base)) << what;
        }
    }
}

TEST(Settings, RefreshLeavesEveryByteButTheViewBits) {
    std::vector<Image> images;
    for (unsigned seed = 1; seed <= 12; ++seed) images.push_back(RandomImage(seed));
    for (std::uint8_t fill : {0x00, 0xFF, 0x80, 0x7F, 0x55, 0xAA, 0x06, 0x1F}) {
        Image image;
        image.fill(fill);
        images.push_back(image);
    }
    for (std::size_t n = 0; n < images.size(); ++n) {
        Console c;
        c.StartUp(0);
        // Leave the controls in a state unlike any image: Full ticked, bars moved.
        c.page.form.FullSel.UserClick();
        c.page.form.cylinsel.UserChange(3);
        c.page.form.RPMAcc.UserChange(77);
        c.page.form.IgnMem.UserClick();
        for (int slot = 0; slot < 4; ++slot) {
            c.page.cal.mem_image = images[n];
            const int base = slot * 459;
            c.page.cal.slot_base = static_cast<std::int16_t>(base);
            const Image before = c.page.cal.mem_image;
            c.page.Show_Settings();
            const std::string what = "image " + std::to_string(n) + " slot " + std::to_string(slot);
            EXPECT_EQ(c.page.cal.mem_image, AfterRefresh(before, base)) << what;
            ExpectShown(c.page, Expected(before, base), what);
            // A second refresh, from the controls as the first left them, changes nothing.
            const Image once = c.page.cal.mem_image;
            c.page.Show_Settings();
            EXPECT_EQ(c.page.cal.mem_image, once) << what;
        }
    }
}

TEST(Settings, BarsWriteTheirOwnByteOfTheActiveBlock) {
    struct Case {
        form::ScrollBar form::Form::*bar;
        form::TextBox form::Form::*box;
        int rel, value;
        const char* text;
    };
    const std::vector<Case> cases = {
        {&form::Form::RPMAcc, &form::Form::TRPMAcc, 151, 75, "7.5"},
        {&form::Form::RPMAcc, &form::Form::TRPMAcc, 151, 150, "15.0"},
        {&form::Form::WaterAcc, &form::Form::TWaterAcc, 152, 0, "-20"},
        {&form::Form::WaterAcc, &form::Form::TWaterAcc, 152, 30, "130"},
        {&form::Form::deltasel, &form::Form::pdeltatps, 153, 99, "99"},
        {&form::Form::windowsel, &form::Form::windowsize, 154, 45, "45"},
        {&form::Form::loadtimesel, &form::Form::loadtime, 155, 70, "7.0"},
        {&form::Form::Limiter, &form::Form::TLimiter, 156, 1, "0.1"},
        {&form::Form::cylinsel, &form::Form::ncylinder, 150, 5, "8"},
    };
    for (int slot : {1, 3}) {
        for (const Case& k : cases) {
            for (bool drag : {false, true}) {
                Console c;
                c.page.cal.mem_image[157] = static_cast<std::uint8_t>(slot);
                c.page.cal.mem_image[slot * 459 + k.rel] = 3;
                c.StartUp(0);
                auto& f = c.page.form;
                Image expected = c.page.cal.mem_image;
                expected[slot * 459 + k.rel] = static_cast<std::uint8_t>(k.value);
                if (drag) {
                    (f.*k.bar).UserScroll(k.value);
                } else {
                    (f.*k.bar).UserChange(k.value);
                }
                EXPECT_EQ(c.page.cal.mem_image, expected) << k.rel << " slot " << slot;
                EXPECT_EQ((f.*k.box).Text, k.text) << k.rel;
            }
        }
    }
}

TEST(Settings, CylindersKeepTheFullFlag) {
    Console c;
    c.page.cal.mem_image[150] = 0x85;
    c.StartUp(0);
    auto& f = c.page.form;
    EXPECT_EQ(f.ncylinder.Text, "8");
    EXPECT_EQ(f.FullSel.Value(), 1);
    EXPECT_TRUE(c.page.cal.full_sel);
    EXPECT_EQ(f.cylinsel.Value(), 5);
    EXPECT_EQ(c.page.cal.mem_image[150], 0x85);
    const std::vector<std::tuple<int, int, const char*>> moves = {{2, 0x82, "4"}, {0, 0x80, "1"}, {4, 0x84, "6"}};
    for (auto [pos, byte, text] : moves) {
        f.cylinsel.UserChange(pos);
        EXPECT_EQ(c.page.cal.mem_image[150], byte) << pos;
        EXPECT_EQ(f.ncylinder.Text, text) << pos;
        EXPECT_EQ(f.FullSel.Value(), 1) << pos;
    }
    f.FullSel.UserClick();
    f.cylinsel.UserChange(1);
    EXPECT_EQ(c.page.cal.mem_image[150], 0x01);
    EXPECT_EQ(f.ncylinder.Text, "2");
}

TEST(Settings, FullKeepsACylinderCodeTheBarCannotShow) {
    // Codes 6..127 come only from foreign map files: the bar stands at its
    // end and the box shows "1"; ticking and clearing Full must keep the code.
    for (int stored : {0x06, 0x7F, 0x86}) {
        Console c;
        c.page.cal.mem_image[150] = static_cast<std::uint8_t>(stored);
        c.StartUp(0);
        auto& f = c.page.form;
        ASSERT_EQ(c.page.cal.mem_image[150], stored);
        EXPECT_EQ(f.cylinsel.Value(), 5);
        EXPECT_EQ(f.ncylinder.Text, "1");
        for (int click = 1; click <= 2; ++click) {
            f.FullSel.UserClick();
            const bool full = f.FullSel.Value() == 1;
            EXPECT_EQ(c.page.cal.mem_image[150], (stored & 0x7F) | (full ? 0x80 : 0)) << stored << " click " << click;
            EXPECT_EQ(f.ncylinder.Text, "1") << stored;
            EXPECT_EQ(f.cylinsel.Value(), 5) << stored;
        }
        EXPECT_EQ(c.page.cal.mem_image[150], stored);
    }
}

TEST(Settings, IgnitionPolarityWritesBit2Only) {
    Console c;
    c.StartUp(0);
    auto& f = c.page.form;
    ASSERT_TRUE(f.ignnormal.Value());
    c.page.cal.mem_image[158] = 0xF9;
    f.loadtimesel.Enabled = false;
    f.igninv.UserClick();
    EXPECT_EQ(c.page.cal.mem_image[158], 0xFD);
    EXPECT_FALSE(f.ignnormal.Value());
    f.ignnormal.UserClick();
    EXPECT_EQ(c.page.cal.mem_image[158], 0xF9);
    EXPECT_FALSE(f.igninv.Value());
    EXPECT_TRUE(f.loadtimesel.Enabled);
}

TEST(Settings, AfterASlotChangeEveryControlShowsThatSlot) {
    Image image = RandomImage(42);
    image[157] = 0;
    for (int slot = 0; slot < 4; ++slot) {
        const int b = slot * 459;
        image[b + 150] = static_cast<std::uint8_t>(slot == 2 ? 0x83 : slot);
        image[b + 151] = static_cast<std::uint8_t>(10 + slot);
        image[b + 152] = static_cast<std::uint8_t>(20 + slot);
        image[b + 153] = static_cast<std::uint8_t>(30 + slot);
        image[b + 154] = static_cast<std::uint8_t>(40 + slot);
        image[b + 155] = static_cast<std::uint8_t>(50 + slot);
        image[b + 156] = static_cast<std::uint8_t>(60 + slot);
        image[b + 158] = static_cast<std::uint8_t>(slot * 4);  // 0x00, 0x04, 0x08, 0x0C
    }
    Console c;
    c.page.cal.mem_image = image;
    c.StartUp(0);
    auto& f = c.page.form;
    form::OptionButton* options[] = {&f.mem1, &f.mem2, &f.mem3, &f.mem4};
    for (int slot : {2, 1, 3, 0, 2}) {
        const Image before = c.page.cal.mem_image;
        options[slot]->UserClick();
        Image expected = AfterRefresh(before, slot * 459);
        expected[157] = static_cast<std::uint8_t>(slot);
        EXPECT_EQ(c.page.cal.mem_image, expected) << slot;
        ExpectShown(c.page, Expected(before, slot * 459), "slot " + std::to_string(slot));
    }
    EXPECT_EQ(f.ncylinder.Text, "5");
    EXPECT_EQ(f.TRPMAcc.Text, "1.2");
    EXPECT_EQ(f.TWaterAcc.Text, "90");
}
