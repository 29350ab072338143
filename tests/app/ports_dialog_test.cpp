// File > Ports…: the devices it is given, the entry a choice becomes, and a
// choice that fails, shown without closing; the menu entry that opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/ports_dialog.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

const std::vector<PortEntry> kTwo = {
    {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "FT232R USB UART", "FTDI", "A1"},
    {"/dev/ttyS0", "", "", "", ""},
};

class PortsDialogTest : public ::testing::Test {
   protected:
    std::vector<PortEntry> present = kTwo;
    std::vector<std::pair<int, std::string>> chosen;
    std::string answer;
    // Last: it lists the devices as it is made.
    PortsDialog dialog{[this] { return present; },
                       [this](int n, const std::string& device) {
                           chosen.emplace_back(n, device);
                           return answer;
                       },
                       [](int n) { return "/dev/ttyS" + std::to_string(n - 1); }};
};

TEST_F(PortsDialogTest, ListsWhatItIsGivenAndWhatRefreshFinds) {
    QTreeWidget* list = dialog.devices();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "FT232R USB UART");
    dialog.SetPortNumber(3);
    EXPECT_EQ(dialog.findChild<QLabel*>("opensnow")->text(), "(opens /dev/ttyS2 now)");

    present.clear();
    dialog.Refresh();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.connect_button()->isEnabled());
    EXPECT_NE(dialog.message()->text().indexOf("No serial device found"), -1);
    dialog.Connect();
    EXPECT_TRUE(chosen.empty());

    present = kTwo;
    dialog.Refresh();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_TRUE(dialog.connect_button()->isEnabled());
    EXPECT_EQ(dialog.message()->text(), "");
}

TEST_F(PortsDialogTest, TheStableNameIsChosenWhereThereIsOne) {
    const struct {
        int row, n;
        std::string device;
    } cases[] = {
        {0, 1, "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"},
        {1, 7, "/dev/ttyS0"},
    };
    for (const auto& c : cases) {
        chosen.clear();
        dialog.open();
        dialog.devices()->setCurrentItem(dialog.devices()->topLevelItem(c.row));
        dialog.SetPortNumber(c.n);
        QTest::mouseClick(dialog.connect_button(), Qt::LeftButton);
        EXPECT_EQ(chosen, (std::vector<std::pair<int, std::string>>{{c.n, c.device}}));
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(PortsDialogTest, AChoiceThatFailsIsToldAndTheDialogStays) {
    answer = "COM 1 (/dev/ttyUSB0) cannot be opened: Permission denied.";
    dialog.open();
    dialog.Connect();
    EXPECT_EQ(chosen.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.message()->text().toStdString(), answer);
    answer.clear();
    dialog.Connect();
    EXPECT_FALSE(dialog.isVisible());
}

using PortsMenuTest = WindowTest;

TEST_F(PortsMenuTest, PortsSitsAboveCloseAndNeedsARealSerialPort) {
    const QList<QAction*> entries = window->fileMenu()->actions();
    auto* ports = window->findChild<QAction*>("ports");
    auto* close = window->findChild<QAction*>("closewindow");
    ASSERT_NE(ports, nullptr);
    EXPECT_LT(entries.indexOf(ports), entries.indexOf(close));
    // This console's port is a stand-in, which no device can be mapped to.
    EXPECT_FALSE(ports->isEnabled());
}

}  // namespace
}  // namespace orv::app::test
