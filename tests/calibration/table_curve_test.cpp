// The tables as curves: what the table plots draw, read from the image.
#include <gtest/gtest.h>

#include "core/calibration/table_curve.h"
#include "core/common/numbers.h"

using namespace orv;

namespace {

// Slot 2 active, its mode_flags choosing the viewed set.
Image ImageViewing(std::uint8_t mode_flags) {
    Image image{};
    image[157] = 2;
    image[918 + 158] = mode_flags;
    return image;
}

}  // namespace

TEST(TableCurve, PointsOfEachTableKindInTheGridsUnits) {
    struct Case {
        std::uint8_t mode_flags;
        TableView view;
        int grid;
        int address;  // entry 3 of the viewed table
        std::uint8_t byte;
        double value;
        const char* value_title;
    };
    const Case cases[] = {
        {0x00, TableView::Fuel, 0, 918 + 0 + 3, 125, 12.5, "TINJ (ms)"},
        {0x00, TableView::Fuel, 2, 918 + 94 + 3, 0, -90, "GAIN (%)"},
        {0x01, TableView::Fuel, 0, 918 + 159 + 3, 255, 25.5, "TINJ (ms)"},
        {0x01, TableView::Fuel, 4, 918 + 159 + 133 + 3, 180, 90, "GAIN (%)"},
        {0x03, TableView::Ignition, 0, 918 + 309 + 3, 85, 40, "ADV (\u00b0)"},
        {0x0F, TableView::Ignition, 1, 918 + 309 + 32 + 3, 45, 0, "ADV (\u00b0)"},
    };
    for (const Case& c : cases) {
        Image image = ImageViewing(c.mode_flags);
        image[c.address] = c.byte;
        const TableCurve curve = CurveOf(image, c.view, c.grid);
        const int entries[] = {31, 51, 21, 16, 16};
        ASSERT_EQ(curve.points.size(), static_cast<std::size_t>(entries[c.grid])) << c.grid;
        EXPECT_DOUBLE_EQ(curve.points[3].y, c.value) << c.grid << " " << int(c.mode_flags);
        EXPECT_STREQ(curve.value_title, c.value_title);
        // The other entries hold byte 0, read in the same view.
        EXPECT_DOUBLE_EQ(curve.points[2].y, c.view == TableView::Ignition ? -45 : (c.grid == 0 ? 0 : -90));
    }
}

TEST(TableCurve, AxisValuesAreTheGridsAxisColumn) {
    const Image image{};
    const char* titles[] = {"RPM x1000", "PRES (bar)", "TPS (%)", "AIR (\u00b0C)", "WAT (\u00b0C)"};
    for (int t = 0; t < 5; ++t) {
        const TableCurve curve = CurveOf(image, TableView::Fuel, t);
        EXPECT_STREQ(curve.axis_title, titles[t]);
        for (std::size_t k = 0; k < curve.points.size(); ++k) {
            const std::optional<double> shown = ParseNumber(AxisText(t, static_cast<int>(k)));
            ASSERT_TRUE(shown);
            EXPECT_NEAR(curve.points[k].x, *shown, 1e-9) << t << " row " << k + 1;
        }
        EXPECT_DOUBLE_EQ(curve.x_range.lo, curve.points.front().x);
        EXPECT_DOUBLE_EQ(curve.x_range.hi, curve.points.back().x);
    }
    EXPECT_NEAR(CurveOf(image, TableView::Fuel, 1).points.back().x, 4.0, 1e-9);
    EXPECT_NEAR(CurveOf(image, TableView::Fuel, 0).points.back().x, 15.0, 1e-9);
    EXPECT_NEAR(CurveOf(image, TableView::Fuel, 3).points.back().x, 130, 1e-9);
}

TEST(TableCurve, GridRowsNameTheirPointsAndTheRangeShowsTheShape) {
    EXPECT_EQ(CurvePointOfRow(1, 0), -1);  // the header row
    EXPECT_EQ(CurvePointOfRow(1, 1), 0);
    EXPECT_EQ(CurvePointOfRow(1, 51), 50);
    EXPECT_EQ(CurvePointOfRow(1, 52), -1);
    EXPECT_EQ(CurvePointOfRow(3, 17), -1);

    Image image{};
    image.fill(90);  // every gain 0: a flat curve gets the least span, centred
    ValueRange r = ShownRange(CurveOf(image, TableView::Fuel, 2), 20);
    EXPECT_DOUBLE_EQ(r.lo, -10);
    EXPECT_DOUBLE_EQ(r.hi, 10);
    image.fill(0);  // at the floor of what the table holds: the span moves up
    r = ShownRange(CurveOf(image, TableView::Fuel, 2), 20);
    EXPECT_DOUBLE_EQ(r.lo, -90);
    EXPECT_DOUBLE_EQ(r.hi, -70);
    image[94 + 5] = 180;  // -90 .. 90 with a margin is clamped to the limits
    r = ShownRange(CurveOf(image, TableView::Fuel, 2), 20);
    EXPECT_DOUBLE_EQ(r.lo, -90);
    EXPECT_DOUBLE_EQ(r.hi, 90);
}
