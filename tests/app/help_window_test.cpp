// Help: every page of the manual is compiled in and reads, every link and
// picture on it leads somewhere, its key list holds every key of the menus,
// and the menu opens it and About.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <map>
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

// The key list of the tuner's tools page as the Help window shows it: each
// key of a row's first cell, with the row's second.
std::map<QString, QString> ManualKeyList() {
    std::map<QString, QString> keys;
    for (const QString& line : Read(":/manual/tools.md").split('\n')) {
        const QStringList cells = line.split('|');  // "", keys, what, ""
        if (!line.startsWith("| ") || cells.size() < 4) continue;
        for (const QString& key : cells[1].split(", ")) keys[key.trimmed()] = cells[2].trimmed();
    }
    return keys;
}

void MenuKeys(const QList<QAction*>& actions, std::map<QString, QAction*>& out) {
    for (QAction* a : actions) {
        if (a->menu()) MenuKeys(a->menu()->actions(), out);
        for (const QKeySequence& k : a->shortcuts()) out[k.toString(QKeySequence::NativeText)] = a;
    }
}

TEST_F(HelpMenuTest, EveryKeyOfTheMenusIsInTheManualsKeyListUnderItsEntry) {
    std::map<QString, QAction*> menu_keys;
    MenuKeys(window->menuBar()->actions(), menu_keys);
    if (auto* corner = window->menuBar()->cornerWidget(Qt::TopRightCorner)) MenuKeys(corner->actions(), menu_keys);
    EXPECT_GE(menu_keys.size(), 17u);
    const std::map<QString, QString> listed = ManualKeyList();
    for (const auto& [key, action] : menu_keys) {
        QString entry = action->text();
        entry.remove('&').remove(QChar(0x2026));
        const auto it = listed.find(key);
        if (it == listed.end()) {
            ADD_FAILURE() << key.toStdString() << " (" << entry.toStdString() << ") is not in tools.md";
            continue;
        }
        EXPECT_TRUE(it->second.contains(entry, Qt::CaseInsensitive))
            << key.toStdString() << ": \"" << it->second.toStdString() << "\" does not name " << entry.toStdString();
    }
    // And no key listed as a shortcut that no entry has.
    const QRegularExpression shortcut(QStringLiteral(R"(^(Ctrl\+|Shift\+Pg|Pg|F\d+$))"));
    for (const auto& [key, what] : listed) {
        if (shortcut.match(key).hasMatch()) {
            EXPECT_TRUE(menu_keys.count(key)) << key.toStdString() << " is no entry's key";
        }
    }
}

}  // namespace
}  // namespace orv::app::test
