// Tables as clipboard text and back: a copy pasted elsewhere stores the same
// bytes, every kind of pasted text leaves defined bytes or is refused whole,
// and each paste or smoothing is one undo step.
#include <gtest/gtest.h>

#include <functional>

#include "core/calibration/table_clipboard.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using Bytes8 = std::vector<std::uint8_t>;

namespace {

// Table t's bytes, each inside the bar's range of the set's view.
Bytes8 TableBytes(int set, int t, unsigned seed) {
    const ByteRange r = BarRange(set == kSetIgnition ? TableView::Ignition : TableView::Fuel, t);
    Bytes8 bytes;
    for (int k = 0; k < kTableEntries[t]; ++k)
        bytes.push_back(static_cast<std::uint8_t>(r.lo + (seed * 37u + static_cast<unsigned>(k) * 53u) % (r.hi - r.lo + 1)));
    return bytes;
}

}  // namespace

TEST(TableClipboard, ACopyPastedIntoAnotherRangeStoresTheSameBytes) {
    for (int set : {kSetBank1, kSetBank2, kSetIgnition}) {
        for (int t = 0; t < kTableCount; ++t) {
            SCOPED_TRACE(testing::Message() << "set " << set << " t " << t);
            const Bytes8 bytes = TableBytes(set, t, static_cast<unsigned>(set * 5 + t));
            const std::string text = TableCopyText(bytes, set, t, 2, 9);
            EXPECT_EQ(text.substr(0, text.find('\n')), TableTitle(set, t));
            // From one row down: as many rows as values.
            const TablePaste one = PasteIntoTable(text, set, t, 7, 7);
            ASSERT_TRUE(one.ok) << one.refusal;
            EXPECT_EQ(one.first_row, 7);
            EXPECT_EQ(one.last_row, 14);
            EXPECT_EQ(one.bytes, Bytes8(bytes.begin() + 1, bytes.begin() + 9));
            EXPECT_EQ(one.clamped, 0);
            // The whole table, over itself.
            const TablePaste whole = PasteIntoTable(TableCopyText(bytes, set, t, 1, kTableEntries[t]), set, t, 1, 1);
            ASSERT_TRUE(whole.ok) << whole.refusal;
            EXPECT_EQ(whole.bytes, bytes);
        }
    }
    EXPECT_EQ(TableTitle(kSetBank1, 0), "RPM / bank 1 injection (ms)");
    EXPECT_EQ(TableTitle(kSetIgnition, 1), "PRES / ignition correction (degrees)");
    EXPECT_EQ(TableCopyText(Bytes8{125, 0, 255}, kSetBank1, 0, 1, 3), "RPM / bank 1 injection (ms)\n0.0\t12.5\n0.5\t0.0\n1.0\t25.5\n");
}

TEST(TableClipboard, EveryKindOfPastedTextLeavesDefinedBytesOrNothing) {
    struct Case {
        const char* what;
        std::string text;
        int set, t, sel_first, sel_last;
        Bytes8 bytes;  // from sel_first on; empty: refused
        int clamped;
        const char* refusal;  // part of the reason
    };
    const int B1 = kSetBank1, IG = kSetIgnition;
    const std::string many_lines(3u << 20, '\n');
    const Case cases[] = {
        {"one a line", "12.5\n13\n", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"decimal commas", "12,5\n13,0\n", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"two columns by tabs", "0.0\t12.5\n0.5\t13.0\n", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"semicolons and decimal commas", "0,0;12,5\n0,5;13,0", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"commas between points", "0.0,12.5\n0.5,13.0", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"spaces", "  0.0 12.5\n0.5    13.0  ", B1, 0, 3, 3, {125, 130}, 0, ""},
        {"naming and heading lines", "RPM / bank 1 injection (ms)\nRPM x1000\tBank 1 (ms)\n1.0\t2.0\n", B1, 0, 3, 3, {20}, 0, ""},
        {"a byte order mark", "\xEF\xBB\xBF" "12.5\n", B1, 0, 3, 3, {125}, 0, ""},
        {"CR LF, CR and blank lines around", "\r\n\n12.5\r\n13.0\r14\r\n\r\n", B1, 0, 3, 3, {125, 130, 140}, 0, ""},
        {"axis in thousands of rpm", "2,500\t3.2\n", B1, 0, 3, 3, {32}, 0, ""},
        {"a lone comma is decimal", "1,234", B1, 0, 3, 3, {12}, 0, ""},
        {"above and below the box", "30\n-3\n+1.5", B1, 0, 3, 3, {255, 0, 15}, 2, ""},
        {"huge", "1e308\n1e999\n-1e999\n1e-999", B1, 0, 3, 3, {255, 255, 0, 0}, 3, ""},
        {"infinities", "inf\n-Infinity", B1, 0, 3, 3, {255, 0}, 2, ""},
        {"thousands separators", "1,234.5\n1.234,5\n1,234,567", B1, 0, 3, 3, {255, 255, 255}, 3, ""},
        {"corrections", "-95\n95\n10.4\n-0", B1, 1, 1, 1, {0, 180, 100, 90}, 2, ""},
        {"ignition base", "-6\n40\n0", IG, 0, 1, 1, {40, 85, 45}, 1, ""},
        {"ignition correction", "-45", IG, 2, 1, 1, {0}, 0, ""},
        {"one value fills a range", "7.5", B1, 0, 3, 5, {75, 75, 75}, 0, ""},
        {"fewer values than the range", "1\n2", B1, 0, 3, 7, {10, 20}, 0, ""},
        {"to the last row", "1\n2", B1, 0, 30, 30, {10, 20}, 0, ""},
        {"megabytes of blank lines", many_lines + "12.5", B1, 0, 3, 3, {125}, 0, ""},
        // Refused whole.
        {"past the last row", "1\n2\n3", B1, 0, 30, 30, {}, 0, "3 values from RPM row 30 run past the table's last row (31)"},
        {"more than the range", "1\n2\n3\n4", B1, 0, 3, 5, {}, 0, "4 values do not fit the 3 selected rows (RPM rows 3 to 5)"},
        {"NaN", "12.5\nnan\n", B1, 0, 3, 3, {}, 0, "line 2: NaN is not a value"},
        {"no numbers", "hello\nworld", B1, 0, 3, 3, {}, 0, "the clipboard holds no numbers"},
        {"nothing", "", B1, 0, 3, 3, {}, 0, "the clipboard holds no numbers"},
        {"binary", std::string("12.5\n\0\x01\x02", 8), B1, 0, 3, 3, {}, 0, "binary data"},
        {"over the size", std::string(kMaxPasteBytes + 1, ' '), B1, 0, 3, 3, {}, 0, "more than 4 MB of text"},
        {"megabytes of values", [] {
             std::string s;
             for (int k = 0; k < 600000; ++k) s += "1.0\n";
             return s;
         }(), B1, 0, 1, 1, {}, 0, "more than 31 values"},
        {"three numbers", "1\t2\t3", B1, 0, 3, 3, {}, 0, "line 1 holds 3 numbers"},
        {"an empty cell", "0.0\t12.5\n0.5\t\n", B1, 0, 3, 3, {}, 0, "line 2 has an empty cell"},
        {"a gap between values", "12.5\n\n13", B1, 0, 3, 3, {}, 0, "line 2 is empty, between two values"},
        {"text between values", "12.5\nabc\n13", B1, 0, 3, 3, {}, 0, "line 2 is not a value: \"abc\""},
        {"text after the values", "12.5\n13\n14,0x", B1, 0, 3, 3, {}, 0, "line 3 is not a value"},
        {"another unit", "PRES / bank 1 correction (%)\n5\n", B1, 0, 3, 3, {}, 0, "a table in %, RPM / bank 1 injection (ms) takes ms"},
        {"a set into one table", "RPM / bank 1 injection (ms)\n1\nPRES / bank 1 correction (%)\n2\n", B1, 1, 1, 1, {}, 0, "several tables"},
        {"no rows", "1", B1, 0, 0, 0, {}, 0, "no rows"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TablePaste p = PasteIntoTable(c.text, c.set, c.t, c.sel_first, c.sel_last);
        EXPECT_EQ(p.ok, !c.bytes.empty()) << p.refusal;
        EXPECT_EQ(p.bytes, c.bytes);
        EXPECT_EQ(p.clamped, c.clamped);
        if (p.ok) {
            EXPECT_EQ(p.first_row, c.sel_first);
            EXPECT_EQ(p.last_row, c.sel_first + static_cast<int>(c.bytes.size()) - 1);
        }
        EXPECT_NE(p.refusal.find(c.refusal), std::string::npos) << p.refusal;
    }
}

TEST(TableClipboard, AWholeSetPastesIntoAnotherSlotAndSetOfItsUnits) {
    Image image = test::RandomImage(7);
    const int from = SlotStart(0), to = SlotStart(2);
    for (int t = 0; t < kTableCount; ++t) {
        const Bytes8 b = TableBytes(kSetBank1, t, static_cast<unsigned>(t + 1));
        std::copy(b.begin(), b.end(), image.begin() + from + slot::kBank1Set + kTableOffset[t]);
    }
    const std::string text = SetCopyText(image, from, kSetBank1);
    const SetPaste p = PasteIntoSet(text, kSetBank2);
    ASSERT_TRUE(p.ok) << p.refusal;
    EXPECT_EQ(p.values, 135);
    EXPECT_EQ(p.clamped, 0);
    for (int t = 0; t < kTableCount; ++t) EXPECT_EQ(p.bytes[t], TableBytes(kSetBank1, t, static_cast<unsigned>(t + 1)));
    // Into the same set of another slot block, through an image.
    Image other = image;
    for (int t = 0; t < kTableCount; ++t)
        std::copy(p.bytes[t].begin(), p.bytes[t].end(), other.begin() + to + slot::kBank1Set + kTableOffset[t]);
    EXPECT_EQ(SetCopyText(other, to, kSetBank1), text);

    struct Refused {
        const char* what;
        std::string text;
        int set;
        const char* refusal;
    };
    const std::string rpm = TableCopyText(p.bytes[0], kSetBank1, 0, 1, 31);
    const Refused refused[] = {
        {"fuel tables into ignition", text, kSetIgnition, "the RPM table is in ms, the ignition set's in degrees"},
        {"one table", rpm, kSetBank1, "the text holds 1 table; a set has five"},
        {"six tables", text + "\n" + rpm, kSetBank1, "more than five tables"},
        {"out of order", text.substr(text.find("PRES")) + "\n" + rpm, kSetBank1, "in its order"},
        {"a short table", text.substr(0, text.rfind("\n", text.size() - 2) + 1), kSetBank1, "the WAT table holds 15 values; it has 16 rows"},
        {"no names", "1\n2\n", kSetBank1, "1 table"},
        {"NaN", text + "nan\n", kSetBank1, "NaN"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.what);
        const SetPaste s = PasteIntoSet(r.text, r.set);
        EXPECT_FALSE(s.ok);
        EXPECT_NE(s.refusal.find(r.refusal), std::string::npos) << s.refusal;
    }
}

namespace {

struct Editing : test::Console {
    Editing() {
        StartUp(0);
        page.Timer1_Timer();
        page.form.edit.UserClick();
        for (int k = 0; k < 31; ++k) page.cal.mem_image[k] = static_cast<std::uint8_t>(5 * k);
        page.Load_Memory_Map();
    }
    void Select(int t, int first, int last) {
        page.form.datatable[t].UserClick(first, 1);
        if (last != first) page.form.datatable[t].UserExtend(last);
    }
    const std::string& Notice() const { return page.form.Notice; }
    bool Failed() const { return page.form.KindOfNotice() == form::Form::NoticeKind::Failed; }
};

}  // namespace

TEST(TableClipboard, EachPasteOrSmoothingIsOneUndoStepAndSaysWhatItDid) {
    struct Case {
        const char* what;
        std::function<void(Editing&)> setup;  // the selection, the view
        std::function<bool(Editing&)> act;
        std::string notice;
        bool changed;
    };
    std::string set_text;  // the bank 1 set, its first value changed
    const Case cases[] = {
        {"paste", [](Editing& c) { c.Select(0, 3, 3); },
         [](Editing& c) { return c.page.PasteTable(0, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n30\n-1\n"); },
         "Pasted 12 values into RPM rows 3 to 14; 2 clamped to the box's limits", true},
        {"paste over a range", [](Editing& c) { c.Select(0, 6, 2); }, [](Editing& c) { return c.page.PasteTable(0, "7.5"); },
         "Pasted 5 values into RPM rows 2 to 6", true},
        {"refused paste", [](Editing& c) { c.Select(0, 29, 29); },
         [](Editing& c) { return c.page.PasteTable(0, "1\n2\n3\n4"); },
         "Paste refused: 4 values from RPM row 29 run past the table's last row (31)", false},
        {"paste in monitor mode", [](Editing& c) { c.page.form.monitor.UserClick(); },
         [](Editing& c) { return c.page.PasteTable(0, "1"); }, "Paste refused: choose Edit first", false},
        {"smooth", [](Editing& c) { c.page.cal.mem_image[4] = 200; c.Select(0, 2, 8); },
         [](Editing& c) { return c.page.SmoothRange(0); }, "Smoothed RPM rows 2 to 8", true},
        {"smooth of two rows", [](Editing& c) { c.Select(0, 2, 3); }, [](Editing& c) { return c.page.SmoothRange(0); },
         "Smooth refused: select three rows or more, with Shift", false},
        {"paste set",
         [&](Editing& c) {
             set_text = c.page.CopySet();
             set_text.replace(set_text.find("\n0.0\t0.0\n"), 9, "\n0.0\t9.9\n");
             c.page.form.bank2mem.UserClick();
             c.page.Timer1_Timer();
         },
         [&](Editing& c) { return c.page.PasteSet(set_text); },
         "Pasted the five tables into the bank 2 set of Mem 1: 135 values", true},
        {"paste set of another unit",
         [&](Editing& c) {
             set_text = c.page.CopySet();
             c.page.form.IgnMem.UserClick();
             c.page.Timer1_Timer();
         },
         [&](Editing& c) { return c.page.PasteSet(set_text); },
         "Paste set refused: the RPM table is in ms, the ignition set's in degrees", false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Editing c;
        k.setup(c);
        const Image before = c.page.cal.mem_image;
        const std::size_t steps = c.page.History().DoneSteps();
        EXPECT_EQ(k.act(c), k.changed);
        EXPECT_EQ(c.Notice(), k.notice);
        EXPECT_EQ(c.Failed(), !k.changed);
        const Image after = c.page.cal.mem_image;
        if (!k.changed) {
            EXPECT_EQ(after, before);
            EXPECT_EQ(c.page.History().DoneSteps(), steps);
            continue;
        }
        ASSERT_EQ(c.page.History().DoneSteps(), steps + 1);
        // The grid shows what was stored.
        const TableView view = c.page.form.IgnMem.Value() ? TableView::Ignition : TableView::Fuel;
        EXPECT_EQ(c.page.form.datatable[0].Cell(3, 1), CellText(view, 0, after[MemAddr(after, 0) + 2]));
        ASSERT_TRUE(c.page.Undo());
        EXPECT_EQ(c.page.cal.mem_image, before);
        EXPECT_TRUE(c.page.Redo());
        EXPECT_EQ(c.page.cal.mem_image, after);
    }
}

TEST(TableClipboard, CopyTakesTheRangeOrTheWholeTable) {
    Editing c;
    c.Select(0, 4, 2);
    EXPECT_EQ(c.page.CopyTable(0), "RPM / bank 1 injection (ms)\n0.5\t0.5\n1.0\t1.0\n1.5\t1.5\n");
    EXPECT_EQ(c.Notice(), "Copied RPM rows 2 to 4 of the bank 1 set of Mem 1");
    c.Select(0, 7, 7);
    const std::string whole = c.page.CopyTable(0);
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 32);
    c.page.form.monitor.UserClick();  // copying changes nothing: in monitor mode too
    EXPECT_EQ(c.page.CopyTable(0), whole);
}
