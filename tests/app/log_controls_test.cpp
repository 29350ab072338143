// The window's log controls: the toggle, the marker, the status bar's word on
// where the log went, and "Start logging on Connect" kept in logging.ini.
#include <QAction>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <csignal>
#include <sys/resource.h>

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
    Action("logtoggle")->trigger();  // stopped by hand: a log again at Connect on a live link
    (void)QTest::qWaitFor([this] { Answer(); return false; }, 1100);  // the next log's name is the next second's
    Click("Connect");
    Answer();
    QTest::qWait(250);
    EXPECT_TRUE(Action("logtoggle")->isChecked());

    // A window opened later in the same folder finds it set.
    window.reset();
    MainWindow again(console);
    EXPECT_TRUE(again.findChild<QAction*>("logonconnect")->isChecked());
}

// A full disk at the last write: stopping says so, counts the rows the file holds and cuts no line.
TEST_F(LogWindowTest, AStopWhoseLastWriteFailsIsNoSuccess) {
    Action("logtoggle")->trigger();
    ASSERT_EQ(Logs().size(), 1u);
    Answer();
    struct rlimit was {};
    ::getrlimit(RLIMIT_FSIZE, &was);
    const rlimit cap{std::filesystem::file_size(Logs().front()) + 10, was.rlim_max};  // the header, a piece of a row
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &cap);
    Action("logtoggle")->trigger();
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_TRUE(Status().startsWith("Log stopped after 0 rows: " + QString::fromStdString(Logs().front().string())));
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    const orv::test::LogFile f(Logs().front());
    EXPECT_TRUE(f.crlf && f.header.size() == 16 && f.rows.empty());
}

}  // namespace
}  // namespace orv::app::test
