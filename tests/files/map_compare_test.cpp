// Comparing with a reference map: exactly the differing bytes are marked,
// each shown cell and settings control with the reference's value, and a
// reference that cannot be read leaves the one before it.
#include <gtest/gtest.h>

#include <random>

#include "core/files/map_compare.h"
#include "core/files/map_file.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::RandomImage;

TEST(MapCompare, MarksExactlyTheDifferingBytesOfRandomPairs) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const Image a = RandomImage(seed);
        Image b = a;
        std::mt19937 gen(seed);
        for (int k = 0; k < static_cast<int>(seed * 7); ++k) {
            const int at = static_cast<int>(gen() % kImageSize);
            b[at] = static_cast<std::uint8_t>(b[at] + 1 + gen() % 255);
        }
        const ImageDifferences d = CompareImages(a, b);
        std::array<int, kSlotCount> per_slot{};
        for (int i = 0; i < kImageSize; ++i) {
            ASSERT_EQ(d.differs.test(i), a[i] != b[i]) << seed << " at " << i;
            if (a[i] != b[i] && i < kSlotCount * kSlotSize) ++per_slot[i / kSlotSize];
        }
        EXPECT_EQ(d.per_slot, per_slot);
        EXPECT_EQ(d.trailing, a[kImageSize - 1] != b[kImageSize - 1] ? 1 : 0);
        EXPECT_EQ(DiffText(a, b).empty(), d.Total() == 0);

        // Against a random other image, every shown cell of every view: marked
        // exactly where its byte differs, with the reference's text.
        const Image ref_image = RandomImage(seed + 100);
        MapReference ref{"r.map", ref_image, kImageSize};
        for (TableView v : {TableView::Fuel, TableView::Ignition})
            for (int t = 0; t < kTableCount; ++t)
                for (int row = 1; row <= kTableEntries[t]; ++row) {
                    const int addr = MemAddr(a, t) + row - 1;
                    const auto mark = ReferenceCellText(a, ref, v, t, row);
                    ASSERT_EQ(mark.has_value(), a[addr] != ref_image[addr]) << t << " " << row;
                    if (mark) {
                        EXPECT_EQ(*mark, CellText(v, t, ref_image[addr]));
                    }
                }
    }
}

TEST(MapCompare, SettingsControlsViewBitsAndShortReferences) {
    Image mine{};
    mine[157] = 2;  // the settings of slot 3
    Image theirs = mine;
    const int base = 2 * kSlotSize;
    theirs[base + slot::kRpmSwitch] = 45;
    theirs[base + slot::kCylMode] = 0x83;
    theirs[base + slot::kModeFlags] = 0x0D;  // Inv, Off, and another view
    theirs[slot::kRpmSwitch] = 99;              // slot 1: not the one shown
    MapReference ref{"dir/theirs.map", theirs, kImageSize};
    struct Case {
        const char* control;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"RPMAcc", "4.5"}, {"TRPMAcc", "4.5"}, {"cylinsel", "5"}, {"ncylinder", "5"}, {"FullSel", "Full"},
        {"igninv", "Inv"}, {"ignnormal", "Inv"}, {"ignsel", "Off"}, {"Limiter", std::nullopt},
        {"mem1", std::nullopt}, {"bank2mem", std::nullopt}, {"", std::nullopt}, {"nonsense", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ReferenceSettingText(mine, ref, c.control), c.text) << c.control;
    // The view bits are no calibration; slot 1's change is counted in its slot.
    EXPECT_EQ(ReferenceStatus(mine, ref), "Differences from \"theirs.map\": Mem 1: 1, Mem 2: 0, Mem 3: 3, Mem 4: 0");

    theirs[157] = 3;
    ref.image = theirs;
    EXPECT_EQ(ReferenceSettingText(mine, ref, "mem4"), "Mem 4");
    // A reference file that stops early says nothing of the bytes it lacks.
    ref.length = 152;
    EXPECT_EQ(ReferenceSettingText(mine, ref, "mem4"), std::nullopt);
    EXPECT_EQ(ReferenceStatus(mine, ref), "Differences from \"theirs.map\": Mem 1: 1, Mem 2: 0, Mem 3: 0, Mem 4: 0");
}

TEST(MapCompare, TheConsoleComparesWithAFileAndKeepsItWhenAnotherFails) {
    test::Console c;
    c.StartUp(1);
    Image ref = c.page.cal.mem_image;
    ref[3] = 125;
    ref[150] = 0x85;
    ASSERT_EQ(WriteMapFile(c.dir.path() / "ref.map", ref), "");
    c.dir.WriteFile("bad.map", "1\r\n300\r\n");
    const Image before = c.page.cal.mem_image;

    EXPECT_EQ(c.page.ReferenceCell(0, 4), std::nullopt);  // not comparing
    EXPECT_EQ(c.page.CompareWith((c.dir.path() / "ref.map").string()), "");
    EXPECT_EQ(c.page.ReferenceCell(0, 4), "12.5");
    EXPECT_EQ(c.page.ReferenceCell(0, 5), std::nullopt);
    EXPECT_EQ(c.page.ReferenceSetting("ncylinder"), "8");
    EXPECT_EQ(c.page.ReferenceStatusLine(), "Differences from \"ref.map\": Mem 1: 2, Mem 2: 0, Mem 3: 0, Mem 4: 0");

    const std::string error = c.page.CompareWith((c.dir.path() / "bad.map").string());
    EXPECT_NE(error.find("bad.map"), std::string::npos) << error;
    EXPECT_EQ(c.page.ReferenceCell(0, 4), "12.5");  // the first reference stands
    EXPECT_NE(c.page.CompareWith((c.dir.path() / "none.map").string()), "");
    EXPECT_EQ(c.page.Reference()->path, (c.dir.path() / "ref.map").string());

    c.page.StopComparing();
    EXPECT_EQ(c.page.Reference(), nullptr);
    EXPECT_EQ(c.page.ReferenceStatusLine(), "");
    EXPECT_EQ(c.page.cal.mem_image, before);  // read only, never loaded
    EXPECT_FALSE(c.page.CanUndo());
}
