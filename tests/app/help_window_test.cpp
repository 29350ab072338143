// Help: every page of the manual is compiled in and reads, every link and
// picture on it leads somewhere, its key list holds the menus' keys, and the menu opens it and About.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <set>

#include "app/help_window.h"
#include "orv_version.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

QString Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(Manual, EveryPageReadsAndItsLinksAndPicturesLeadSomewhere) {
    std::set<QString> files;
    for (const ManualPage& page : ManualPages()) files.insert(page.file);
    const QRegularExpression target(QStringLiteral(R"(\]\(([^)#\s]+)\))"));
    for (const ManualPage& page : ManualPages()) {
        SCOPED_TRACE(page.file.toStdString());
        const QString text = Read(":/manual/" + page.file);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(text.startsWith("# ")) << "a page begins with its title";
        for (const QRegularExpressionMatch& m : target.globalMatch(text)) {
            const QString to = m.captured(1);
            if (to.startsWith("http")) continue;
            if (to.endsWith(".md")) EXPECT_TRUE(files.count(to)) << to.toStdString();
            else EXPECT_TRUE(QFile::exists(":/manual/" + to)) << to.toStdString() << " is not compiled in";
        }
    }
    // Every page in the folder is one the window lists.
    EXPECT_EQ(files.size(), ManualPages().size());
}

using HelpMenuTest = WindowTest;

TEST_F(HelpMenuTest, TheManualOpensOnItsContentsAndFollowsTheList) {
    auto* manual = window->findChild<QAction*>("manual");
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(manual->shortcut(), QKeySequence(QKeySequence::HelpContents));
    manual->trigger();
    auto* shown = window->findChild<ManualWindow*>("ManualWindow");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->browser()->source().fileName(), "index.md");
    EXPECT_NE(shown->browser()->toPlainText().indexOf("Connecting"), -1);

    // Pictures are fitted to the page.
    shown->resize(860, 640);
    const QSizeF page = shown->browser()->document()->size();
    EXPECT_LT(page.width(), 700) << "a picture wider than the page";

    shown->contents()->setCurrentRow(1);
    EXPECT_EQ(shown->browser()->source().fileName(), "connecting.md");
    EXPECT_NE(shown->browser()->toPlainText().indexOf("dialout"), -1);
    // A link followed in the page moves the list's mark.
    shown->browser()->setSource(QUrl(ManualUrl("recorder.md")));
    EXPECT_EQ(shown->contents()->currentItem()->text(), "Recorder");
    // Asked again: the same window.
    shown->close();
    manual->trigger();
    EXPECT_EQ(window->findChildren<QWidget*>("ManualWindow").size(), 1);
    EXPECT_TRUE(shown->isVisible());
}

TEST_F(HelpMenuTest, AboutTellsTheVersionAndLicenceWithoutWaiting) {
    window->findChild<QAction*>("about")->trigger();
    auto* box = window->findChild<QMessageBox*>("AboutBox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_NE(box->text().indexOf(QString::fromLatin1(kVersion)), -1);
    EXPECT_NE(box->text().indexOf("Licence"), -1);
    box->close();
}

// Every key of the menus is in the manual's key list (the first cell of a row of tools.md's table).
TEST_F(HelpMenuTest, EveryKeyOfTheMenusIsInTheManualsKeyList) {
    QStringList listed, keys;
    for (const QString& line : Read(":/manual/tools.md").split('\n'))
        if (line.startsWith("| ")) listed += line.section('|', 1, 1).trimmed().split(", ");
    for (const QAction* a : window->findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts()) keys << k.toString(QKeySequence::NativeText);
    EXPECT_GE(keys.size(), 17);
    for (const QString& key : keys) EXPECT_TRUE(listed.contains(key)) << key.toStdString();
}

}  // namespace
}  // namespace orv::app::test
