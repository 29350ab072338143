// Map files through the real window: Save and Load with a scripted dialog,
// a failure in the status bar, and the question when closing with changes.
#include <QAbstractButton>
#include <QLineEdit>
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

// Upload over unsaved changes asks first; Cancel leaves the image and the link as they were.
TEST_F(MapWindowTest, UploadOverUnsavedChangesAsksFirst) {
    console.RunEvent([&] { console.form.COM.SetListIndex(0); });
    console.cal.mem_image[5] = 99;
    const Image before = console.cal.mem_image;
    const std::size_t writes = port.writes.size();
    for (const bool go : {false, true}) {
        Click("upload");
        QMessageBox* question = window->uploadQuestion();
        ASSERT_NE(question, nullptr);
        (go ? question->findChild<QAbstractButton*>("UploadConfirm") : question->button(QMessageBox::Cancel))->click();
        EXPECT_EQ(console.comm.Transferring() == TransferKind::Upload, go);
        EXPECT_EQ(console.cal.mem_image, before);
        EXPECT_EQ(port.writes.size(), writes);  // the upload waits for the reply in flight
    }
}

}  // namespace
}  // namespace orv::app::test
