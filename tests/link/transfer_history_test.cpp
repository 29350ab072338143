// The history around transfers: an upload is one step and undo waits until
// it is over; a download is no edit and leaves the history as it was.
#include <gtest/gtest.h>

#include "tests/support/random_image.h"
#include "tests/support/sim_console.h"

using namespace orv;

TEST(TransferHistory, UploadIsOneStepAndUndoWaitsForItsEnd) {
    test::SimConsole c;
    c.StartUp(1);
    c.port.Pump(1, true);
    c.page.Timer1_Timer();  // the grids' first refill: the bars edit from here on
    c.page.form.edit.UserClick();
    c.page.form.datatable[0].UserClick(2, 1);
    c.page.form.HScroll1[0].UserChange(77);
    c.page.form.bank2mem.UserClick();  // a view the upload sets back to bank 1
    ASSERT_EQ(c.page.History().DoneSteps(), 2u);
    const Image before = c.page.cal.mem_image;

    c.page.form.upload.UserClick();
    c.port.Pump(3, true);  // under way
    EXPECT_FALSE(c.page.CanUndo());
    EXPECT_FALSE(c.page.Undo());
    c.RunToEnd();
    ASSERT_NE(c.page.cal.mem_image, before);
    EXPECT_EQ(c.page.History().DoneSteps(), 3u);
    const Image uploaded = c.page.cal.mem_image;

    c.page.form.download.UserClick();
    EXPECT_FALSE(c.page.CanUndo());
    c.RunToEnd();
    EXPECT_EQ(c.page.History().DoneSteps(), 3u);
    EXPECT_FALSE(c.page.CalibrationUnsaved());

    ASSERT_TRUE(c.page.Undo());
    EXPECT_EQ(c.page.cal.mem_image, before);
    EXPECT_TRUE(c.page.form.bank2mem.Value());
    EXPECT_TRUE(c.page.CalibrationUnsaved());
    ASSERT_TRUE(c.page.Redo());
    EXPECT_EQ(c.page.cal.mem_image, uploaded);
    EXPECT_FALSE(c.page.CalibrationUnsaved());
}
