// The window's log controls: the toggle, the marker, the status bar's word on
// where the log went, and "Start logging on Connect" kept in logging.ini.
#include <sys/resource.h>

#include <QAction>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <csignal>

#include "app/log_controls.h"
#include "core/log/live_log.h"
#include "tests/log/log_fixture.h"
#include "tests/support/console_fixture.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

class LogWindowTest : public WindowTest {
   protected:
    QAction* Action(const char* name) {
        auto* a = window->findChild<QAction*>(name);
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // The status bar's message without the time it carries ("14:03:27  ").
    QString Status() {
        const QString shown = window->statusBar()->currentMessage();
        EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d  ").match(shown).hasMatch()) << shown.toStdString();
        return shown.mid(10);
    }
    std::vector<std::filesystem::path> Logs() {
        std::vector<std::filesystem::path> logs;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir / "logs", ec)) logs.push_back(e.path());
        return logs;
    }
    // The link answers: one live block, and the status goes to Connected.
    void Answer() {
        if (!port.IsOpen()) console.RunEvent([this] { console.comm.UsePort(1); });
        port.Deliver(orv::test::Console::LiveReply());
    }
};

TEST_F(LogWindowTest, TheToggleLogsBesideConfigDatAndTheStatusBarSaysWhereAndHowMany) {
    auto* toggle = Action("logtoggle");
    auto* marker = Action("logmarker");
    auto* bar = window->findChild<QToolBar*>("LogToolBar");
    ASSERT_TRUE(toggle && marker && bar);
    EXPECT_EQ(bar->actions(), (QList<QAction*>{toggle, marker}));
    EXPECT_FALSE(marker->isEnabled()) << "no log, no marker";

    toggle->trigger();
    ASSERT_EQ(Logs().size(), 1u);
    const std::filesystem::path log = Logs().front();
    EXPECT_EQ(Status(), "Logging to " + QString::fromStdString(log.string()));
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(marker->isEnabled());
    Answer();
    Answer();
    marker->trigger();
    EXPECT_EQ(Status(), "Marker 1");
    Answer();
    toggle->trigger();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(Status(), "Log stopped: 3 rows in " + QString::fromStdString(log.string()));
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Done);

    const orv::test::LogFile f(log);
    EXPECT_EQ(f.DataRows(), 3);
    EXPECT_EQ(f.Marks(), (std::vector<std::pair<std::string, int>>{{kGapLinkLost, 0}, {"1", 2}}));
}

TEST_F(LogWindowTest, StartOnConnectIsKeptInItsOwnFileAndStartsALogWhenTheLinkAnswers) {
    auto* on_connect = Action("logonconnect");
    ASSERT_NE(on_connect, nullptr);
    EXPECT_FALSE(on_connect->isChecked());
    on_connect->trigger();
    EXPECT_TRUE(LogOnConnect(dir));
    EXPECT_FALSE(std::filesystem::exists(dir / "config.dat")) << "config.dat is not where it is kept";

    window->StartTimer();
    QTest::qWait(250);
    EXPECT_TRUE(Logs().empty()) << "not before the controller answers";
    Answer();
    QTest::qWait(250);
    ASSERT_EQ(Logs().size(), 1u);
    EXPECT_TRUE(Action("logtoggle")->isChecked());

    // A window opened later in the same folder finds it set.
    window.reset();
    MainWindow again(console);
    EXPECT_TRUE(again.findChild<QAction*>("logonconnect")->isChecked());
}

TEST_F(LogWindowTest, StartOnConnectStartsALogAtEveryConnectOnALinkThatAnswers) {
    const struct {
        const char* how;
        std::function<void()> connect;
    } presses[] = {
        {"the Connect button", [this] { Click("Connect"); }},
        {"F5", [this] { Action("connectlink")->trigger(); }},
    };
    window->StartTimer();
    Answer();
    QTest::qWait(250);
    Action("logonconnect")->trigger();
    Answer();
    QTest::qWait(250);
    ASSERT_EQ(console.comm.status(), LinkStatus::Connected);
    EXPECT_TRUE(Logs().empty()) << "setting it starts nothing";
    std::size_t logs = 0;
    for (const auto& p : presses) {
        SCOPED_TRACE(p.how);
        p.connect();
        Answer();
        QTest::qWait(250);
        ASSERT_EQ(Logs().size(), ++logs);
        EXPECT_TRUE(Action("logtoggle")->isChecked());
        Answer();
        Action("logtoggle")->trigger();  // stopped by hand: the next Connect starts the next
        EXPECT_TRUE(Status().startsWith("Log stopped: ")) << Status().toStdString();
        QTest::qWait(1100);  // the next log's name is the next second's
    }
}

// A full disk at the last write: stopping says so, and counts what the file holds.
TEST_F(LogWindowTest, AStopWhoseLastWriteFailsIsNoSuccess) {
    auto* toggle = Action("logtoggle");
    toggle->trigger();
    ASSERT_EQ(Logs().size(), 1u);
    const std::filesystem::path log = Logs().front();
    Answer();
    Answer();
    struct rlimit was {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit cap = was;
    cap.rlim_cur = std::filesystem::file_size(log);  // the header only
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &cap), 0);
    toggle->trigger();
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &was), 0);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_TRUE(Status().startsWith("Log stopped after 0 rows: " + QString::fromStdString(log.string()) +
                                    " could not be written"))
        << Status().toStdString();
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(orv::test::LogFile(log).DataRows(), 0);
}

}  // namespace
}  // namespace orv::app::test
