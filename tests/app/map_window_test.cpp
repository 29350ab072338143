// Map files through the real window: Save and Load with a scripted dialog,
// a failure in the status bar, and the question when closing with changes.
#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableWidget>

#include "core/files/map_file.h"
#include "testing/scripted_file_dialog.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

class MapWindowTest : public WindowTest {
   protected:
    MapWindowTest() {
        console.file_dialog = &dialog;
        EnterEditMode();
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // The message without the time it was given.
    std::string Status() { return window->statusBar()->currentMessage().mid(10).toStdString(); }
    orv::test::ScriptedFileDialog dialog;
};

TEST_F(MapWindowTest, SavesAMapWithItsReportAndLoadsItBack) {
    console.cal.mem_image[0] = 41;
    dialog.answers.push_back(Path("car.map"));
    Click("savemem");
    ASSERT_TRUE(std::filesystem::exists(dir / "car.map"));
    EXPECT_EQ(ReadMapFile(dir / "car.map").values.at(0), 41);
    ASSERT_TRUE(std::filesystem::exists(dir / "car.txt"));
    // The box shows the file's name; its tooltip the whole path.
    EXPECT_EQ(Widget<QLineEdit>("mapfile")->text().toStdString(), "car.map");
    EXPECT_EQ(Widget<QLineEdit>("mapfile")->toolTip().toStdString(), Path("car.map"));

    console.cal.mem_image[0] = 7;
    dialog.answers.push_back(Path("car.map"));
    Click("loadmem");
    EXPECT_EQ(console.cal.mem_image[0], 41);
    EXPECT_EQ(Widget<QTableWidget>("datatable(0)")->item(0, 1)->text(), "4.1");
    EXPECT_EQ(Status(), "");

    dialog.answers.push_back(Path("gone.map"));
    Click("loadmem");
    EXPECT_EQ(Status(), "Map file \"" + Path("gone.map") + "\" not loaded: cannot be opened");
}

TEST_F(MapWindowTest, ClosingWithUnsavedChangesAsksFirst) {
    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    window->ask_save_on_close = [&] {
        ++asked;
        return answer;
    };
    EXPECT_TRUE(window->close());  // nothing changed: no question
    EXPECT_EQ(asked, 0);
    window->show();

    console.cal.mem_image[5] = 99;
    EXPECT_FALSE(window->close());  // Cancel
    answer = QMessageBox::Save;     // the save dialog is cancelled: still open
    EXPECT_FALSE(window->close());
    dialog.answers.push_back(Path("kept.map"));
    EXPECT_TRUE(window->close());  // saved, then closed
    EXPECT_EQ(ReadMapFile(dir / "kept.map").values.at(5), 99);
    EXPECT_EQ(asked, 3);

    window->show();
    console.cal.mem_image[5] = 98;
    answer = QMessageBox::Discard;
    EXPECT_TRUE(window->close());
}

// With the controller silent, a file that fails is the message that stays:
// the port restarted around the dialog does not tell the loss over it, and
// the link status box says the link is down.
TEST_F(MapWindowTest, AFailedFileStaysOnTheStatusLineWhileTheControllerIsSilent) {
    console.RunEvent([&] { console.form.COM.SetListIndex(0); });  // port 1; nothing answers
    auto ticks = [&] {
        for (int i = 0; i < 8; ++i) console.Timer1_Timer();
        window->Refresh();
    };
    ticks();
    ASSERT_EQ(Status().rfind("No live data: ", 0), 0u) << Status();
    for (const auto& [button, said] : {std::pair{"savemem", "Map file \"%s\" not saved: "},
                                       std::pair{"save", "Recording not saved to %s: "}}) {
        const int opened = port.open_count;
        dialog.answers.push_back(Path("gone/file"));
        Click(button);
        ticks();
        EXPECT_EQ(port.open_count, opened + 1);  // the link was restarted
        EXPECT_EQ(Status().rfind(QString::asprintf(said, Path("gone/file").c_str()).toStdString(), 0), 0u) << Status();
        EXPECT_EQ(Widget<QLineEdit>("Text3")->text(), "OffLine");
    }
}

// Upload over changes neither saved nor downloaded asks first, as closing
// does; Cancel leaves the image and the link as they were.
TEST_F(MapWindowTest, UploadOverUnsavedChangesAsksFirst) {
    console.RunEvent([&] { console.form.COM.SetListIndex(0); });
    console.cal.mem_image[5] = 99;
    const Image before = console.cal.mem_image;
    const std::size_t writes = port.writes.size();
    for (const QMessageBox::ButtonRole answer : {QMessageBox::RejectRole, QMessageBox::AcceptRole}) {
        Click("upload");
        QMessageBox* question = window->uploadQuestion();
        ASSERT_NE(question, nullptr);
        EXPECT_NE(question->text().indexOf(kUnsavedChanges), -1) << question->text().toStdString();
        EXPECT_FALSE(console.comm.Transferring());  // nothing goes out while it stands
        for (QAbstractButton* b : question->buttons())
            if (question->buttonRole(b) == answer) b->click();
        EXPECT_EQ(console.comm.Transferring() == TransferKind::Upload, answer == QMessageBox::AcceptRole);
        EXPECT_EQ(console.cal.mem_image, before);
        EXPECT_EQ(port.writes.size(), writes);  // the upload waits for the reply in flight
    }
}

}  // namespace
}  // namespace orv::app::test
