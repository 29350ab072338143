#include "window_fixture.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>
#include <random>

namespace orv::app::test {

namespace {
std::filesystem::path FreshDir() {
    std::random_device rd;
    auto dir = std::filesystem::temp_directory_path() / ("orv_app_test_" + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    return dir;
}
}  // namespace

WindowTest::WindowTest() : dir(FreshDir()), previous_dir_(std::filesystem::current_path()) {
    // Start-up reads config.dat from the current folder: an empty one here.
    std::filesystem::current_path(dir);
    console.Form_Load();
    console.Timer1_Timer();  // the first tick fills the grids, as in a running console
    window = std::make_unique<MainWindow>(console);
    window->Refresh();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

WindowTest::~WindowTest() {
    window.reset();
    std::filesystem::current_path(previous_dir_);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void WindowTest::EnterEditMode() { Click("edit"); }

void WindowTest::Click(const std::string& name) {
    auto* button = Widget<QAbstractButton>(name);
    ASSERT_NE(button, nullptr);
    // Option buttons and check boxes answer on their mark and caption, not
    // on the whole width a layout gives them.
    const bool marked = button->isCheckable() && !qobject_cast<QPushButton*>(button);
    const QPoint at = marked ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace orv::app::test
