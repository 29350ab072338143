// The recorder in the window: a capture against the running console, played
// back, with RecStatus painted in its state's colour.
#include <QLineEdit>

#include "window_fixture.h"

namespace orv::app::test {
namespace {

QColor TextColour(QLineEdit* w) {
    w->ensurePolished();
    return w->palette().color(QPalette::Text);
}

TEST_F(WindowTest, RecordStopAndPlayBackThroughTheWindow) {
    console.form.COM.SetListIndex(0);
    window->Refresh();
    auto* status = Widget<QLineEdit>("RecStatus");
    EXPECT_EQ(TextColour(status), QColor(1, 255, 1));

    Click("record");
    EXPECT_EQ(status->text(), "RECORD");
    EXPECT_EQ(TextColour(status), QColor(255, 0, 0));
    for (std::uint8_t rpm : {30, 31, 32, 33}) {
        port.Deliver({rpm, 0x1E, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
        console.Timer1_Timer();
    }
    EXPECT_EQ(Widget<QLineEdit>("chrono")->text(), "0.3");
    Click("Stop");
    EXPECT_EQ(TextColour(status), QColor(1, 255, 1));
    EXPECT_DOUBLE_EQ(console.rec.rec_count, 4);

    Click("play");
    EXPECT_EQ(TextColour(status), QColor(255, 255, 255));
    console.Timer1_Timer();
    console.Timer1_Timer();
    EXPECT_EQ(Widget<QLineEdit>("rpm")->text(), "3.1");
    Click("timeadj");
    EXPECT_EQ(status->text(), "PAUSE");
    EXPECT_EQ(TextColour(status), QColor(127, 255, 255));
}

}  // namespace
}  // namespace orv::app::test
