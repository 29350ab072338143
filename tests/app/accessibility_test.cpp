// The window driven through Qt's accessibility interface, as a screen reader
// or a test tool drives it: every control has a name of its own, option
// buttons are radio buttons, and every action reaches the console as the
// user's own would.
#include <functional>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTableWidget>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <map>
#include <set>

#include "app/plots/plot_windows.h"
#include "app/plots/recording_timeline.h"
#include "app/plots/table_curves.h"

#include "app/accessible_names.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

QAccessibleInterface* Acc(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    EXPECT_NE(i, nullptr);
    return i;
}

TEST(AccessibleNames, CaptionsServeUnlessTheTableSaysMore) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"rpm", ""}, "Engine speed, thousands of rpm"},
        {{"Host", "     Host"}, "Host"},
        {{"timeadj", "||"}, "Pause"},
        {{"datatable(4)", ""}, "Water temperature table"},
        {{"Text1(2)", ""}, "Throttle table, selected entry"},
        {{"HScroll1(0)", ""}, "Engine speed table, entry adjustment"},
        {{"HScroll1(5)", ""}, ""},  // no such member
        {{"Connect", "Connect"}, "Connect"},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(AccessibleName(in.first, in.second), want) << in.first;
}

TEST_F(WindowTest, EveryControlHasANameOfItsOwnAndTheRoleItPlays) {
    // Within one frame no two controls share a name: the frame tells the rest apart.
    std::map<std::string, std::set<std::string>> names_in;
    for (const form::Form::Entry& e : console.form.Controls()) {
        QWidget* w = window->Control(e.name);
        if (!w) continue;  // needles and bars, drawn by their faces
        const std::string name = Acc(w)->text(QAccessible::Name).toStdString();
        EXPECT_FALSE(name.empty()) << e.name;
        if (std::holds_alternative<form::Label*>(e.ref)) continue;  // a label reads its caption
        EXPECT_TRUE(names_in[e.parent].insert(name).second) << e.name << " shares \"" << name << "\" in " << e.parent;
        const QAccessible::Role role = Acc(w)->role();
        const std::optional<QAccessible::Role> want =
            std::holds_alternative<form::OptionButton*>(e.ref)    ? QAccessible::RadioButton
            : std::holds_alternative<form::CheckBox*>(e.ref)      ? QAccessible::CheckBox
            : std::holds_alternative<form::CommandButton*>(e.ref) ? QAccessible::Button
            : std::holds_alternative<form::TextBox*>(e.ref)       ? std::optional(QAccessible::EditableText)
                                                                  : std::nullopt;
        if (want) {
            EXPECT_EQ(role, *want) << e.name;
        }
    }
    const std::pair<const char*, const char*> named[] = {
        {"rpm", "Engine speed, thousands of rpm"}, {"Picture4", "Engine speed gauge, thousands of rpm"},
        {"Bnk2", "Bank 2"},  {"common", "Common"}, {"Host", "Host"}, {"Text3", "Link status"},
    };
    for (const auto& [control, name] : named)
        EXPECT_EQ(Acc(Widget<QWidget>(control))->text(QAccessible::Name), name) << control;
    // A label's name follows its caption.
    console.RunEvent([&] { console.form.Label6.Caption = "Off"; });
    EXPECT_EQ(Acc(Widget<QWidget>("Label6"))->text(QAccessible::Name), "Off");
}

TEST_F(WindowTest, AccessibleActionsReachTheConsoleAsClicksDo) {
    // The click comes from the event loop, once the caller has its answer.
    auto act = [&](const char* control, const QString& action) {
        Acc(Widget<QWidget>(control))->actionInterface()->doAction(action);
        QCoreApplication::sendPostedEvents();
    };
    // Disabled controls answer no action: in monitor mode the settings frames are off.
    {
        RunCount runs(console.form.ignsel.on_click);
        act("ignsel", QAccessibleActionInterface::pressAction());
        EXPECT_EQ(*runs, 0);
        EXPECT_FALSE(console.form.ignsel.Value());
    }
    struct Case {
        const char* control;
        QString action;
        form::Handler& handler;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"edit", QAccessibleActionInterface::pressAction(), console.form.edit.on_click,
         [&] { EXPECT_TRUE(Widget<QWidget>("Bnk2")->isEnabled()); }},
        {"IgnMem", QAccessibleActionInterface::toggleAction(), console.form.IgnMem.on_click,
         [&] { EXPECT_EQ(Widget<QLabel>("tinj")->text(), "Degrees"); }},
        {"bank2mem", QAccessibleActionInterface::pressAction(), console.form.bank2mem.on_click,
         [&] { EXPECT_EQ(console.cal.mem_image[console.cal.slot_base + 158] & 0x03, 0x01); }},
        {"ignsel", QAccessibleActionInterface::toggleAction(), console.form.ignsel.on_click,
         [&] { EXPECT_EQ(Widget<QLabel>("Label6")->text(), "Off"); }},
        {"FullSel", QAccessibleActionInterface::toggleAction(), console.form.FullSel.on_click,
         [&] { EXPECT_EQ(console.cal.mem_image[150] & 0x80, 0x80); }},
        {"Connect", QAccessibleActionInterface::pressAction(), console.form.Connect.on_click,
         [&] { EXPECT_EQ(console.link.live_len, 8); }},
    };
    for (const Case& c : cases) {
        RunCount runs(c.handler);
        act(c.control, c.action);
        EXPECT_EQ(*runs, 1) << c.control;
        c.check();
        if (auto* option = qobject_cast<QRadioButton*>(Widget<QWidget>(c.control))) {
            EXPECT_TRUE(option->isChecked()) << c.control;
            EXPECT_TRUE(Acc(option)->state().checked) << c.control;
        }
    }
    EXPECT_TRUE(console.form.IgnMem.Value() == false && console.form.bank2mem.Value());
    // Toggling the selected option keeps it selected, as a second click does.
    act("bank2mem", QAccessibleActionInterface::toggleAction());
    window->Refresh();
    EXPECT_TRUE(Widget<QRadioButton>("bank2mem")->isChecked());
    EXPECT_TRUE(console.form.bank2mem.Value());
}

TEST_F(WindowTest, TextSetThroughTheInterfaceIsWhatEnterStores) {
    EnterEditMode();
    auto* box = Widget<QLineEdit>("Text1(0)");
    QAccessibleInterface* acc = Acc(box);
    ASSERT_NE(acc->textInterface(), nullptr);
    ASSERT_NE(acc->editableTextInterface(), nullptr);

    acc->setText(QAccessible::Value, "12.5");
    EXPECT_EQ(console.form.Text1[0].Text, "12.5");
    EXPECT_EQ(acc->textInterface()->text(0, acc->textInterface()->characterCount()), "12.5");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(console.cal.mem_image[0], 125);
    EXPECT_EQ(console.form.HScroll1[0].Value(), 125);

    // Editing a part: "12.5" becomes "13.5", then "3.5".
    acc->editableTextInterface()->replaceText(1, 2, "3");
    acc->editableTextInterface()->deleteText(0, 1);
    EXPECT_EQ(console.form.Text1[0].Text, "3.5");
    acc->editableTextInterface()->insertText(3, "");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(console.cal.mem_image[0], 35);

    // The link status takes nothing from outside.
    QAccessibleInterface* status = Acc(Widget<QWidget>("Text3"));
    EXPECT_TRUE(status->state().readOnly);
    status->setText(QAccessible::Value, "Connected");
    status->editableTextInterface()->insertText(0, "x");
    EXPECT_EQ(Widget<QLineEdit>("Text3")->text(), "OffLine");
    EXPECT_EQ(console.form.Text3.Text, "OffLine");
}

TEST_F(WindowTest, ValueSetThroughTheInterfaceMovesTheScrollBarsHandler) {
    EnterEditMode();
    struct Case {
        const char* control;
        form::ScrollBar& bar;
        int value;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"HScroll1(0)", console.form.HScroll1[0], 41,
         [&] { EXPECT_EQ(console.cal.mem_image[0], 41); }},
        {"deltasel", console.form.deltasel, 7,
         [&] {
             EXPECT_EQ(console.cal.mem_image[153], 7);
             EXPECT_EQ(Widget<QLineEdit>("pdeltatps")->text(), "7");
         }},
    };
    for (const Case& c : cases) {
        RunCount change(c.bar.on_change);
        QAccessibleValueInterface* value = Acc(Widget<QWidget>(c.control))->valueInterface();
        ASSERT_NE(value, nullptr) << c.control;
        value->setCurrentValue(c.value);
        EXPECT_EQ(*change, 1) << c.control;
        EXPECT_EQ(c.bar.Value(), c.value) << c.control;
        c.check();
    }
}

TEST_F(WindowTest, GridCellsAnswerTheInterfaceAsTheGridShowsThem) {
    EnterEditMode();
    auto* grid = Widget<QTableWidget>("datatable(0)");
    QAccessibleTableInterface* table = Acc(grid)->tableInterface();
    ASSERT_NE(table, nullptr);
    auto cell = [&](int row) { return table->cellAt(row - 1, 1); };  // by the console's row

    // Toggling a cell selects it, and a value typed then lands in its row.
    console.RunEvent([&] { console.form.datatable[0].UserClick(3, 1); });
    window->Refresh();
    cell(7)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(console.form.datatable[0].Row, 7);
    EXPECT_EQ(grid->currentRow(), 6);
    grid->setFocus();
    QTest::keyClicks(grid, "7.6");
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(console.cal.mem_image[6], 76);
    EXPECT_EQ(console.cal.mem_image[2], 0);

    // A range held with Shift: every cell of it, and no other, is selected.
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    for (int row = 6; row <= 12; ++row) EXPECT_EQ(cell(row)->state().selected, row >= 8 && row <= 10) << row;
    EXPECT_EQ(table->selectedCellCount(), 3);

    // A mark says what it means.
    console.RunEvent([&] { console.form.datatable[0].SetMark(4, "1.5"); });
    window->Refresh();
    EXPECT_EQ(cell(4)->text(QAccessible::Description), "differs from reference: 1.5");
    EXPECT_EQ(cell(5)->text(QAccessible::Description), "");
}

TEST_F(WindowTest, APressThatOpensADialogReturnsAtOnceAndTheAnswerStillSaves) {
    EnterEditMode();
    // The Save button, and File > Save map as the menu's interface offers it.
    auto menu_entry = [&]() -> QAccessibleInterface* {
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(window->fileMenu());
        for (int i = 0; menu && i < menu->childCount(); ++i)
            if (menu->child(i)->text(QAccessible::Name).remove('&') == "Save map") return menu->child(i);
        return nullptr;
    };
    const std::pair<const char*, std::function<QAccessibleInterface*()>> ways[] = {
        {"button", [&] { return Acc(Widget<QWidget>("savemem")); }},
        {"menu", menu_entry},
    };
    for (const auto& [way, pressed] : ways) {
        SCOPED_TRACE(way);
        const std::filesystem::path target = dir / (std::string(way) + ".map");
        QAccessibleInterface* control = pressed();
        ASSERT_NE(control, nullptr);
        QElapsedTimer took;
        took.start();
        control->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_LT(took.elapsed(), 500);

        // The dialog opens from the event loop; answering it saves.
        bool shown = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible() && !shown) {
                    shown = true;
                    auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    ASSERT_NE(name, nullptr);
                    name->setText(QString::fromStdString(target.string()));
                    QTest::keyClick(name, Qt::Key_Return);
                }
        });
        answer.start(20);
        for (int waited = 0; waited < 5000 && !std::filesystem::exists(target); waited += 20) QTest::qWait(20);
        EXPECT_TRUE(shown) << "no file dialog";
        EXPECT_TRUE(std::filesystem::exists(target));
        EXPECT_EQ(console.form.mapfile.Text, target.string());
    }
}

TEST_F(WindowTest, PortListProgressAndStatusSayWhatTheyAre) {
    QAccessibleInterface* port = Acc(Widget<QComboBox>("COM"));
    EXPECT_EQ(port->role(), QAccessible::ComboBox);
    EXPECT_EQ(port->text(QAccessible::Name), "Serial port");
    EXPECT_EQ(port->text(QAccessible::Value), Widget<QComboBox>("COM")->currentText());

    // Progress is read, not set: its value, but no Increase or Decrease.
    auto* bar = Widget<QProgressBar>("ProgressBar1");
    bar->setRange(0, 100);
    bar->setValue(40);
    QAccessibleInterface* progress = Acc(bar);
    EXPECT_EQ(progress->role(), QAccessible::ProgressBar);
    EXPECT_EQ(progress->text(QAccessible::Name), "Transfer progress");
    EXPECT_EQ(progress->text(QAccessible::Value), "40%");
    EXPECT_EQ(progress->valueInterface() ? progress->valueInterface()->currentValue().toInt() : -1, 40);
    EXPECT_TRUE(progress->actionInterface() == nullptr || progress->actionInterface()->actionNames().isEmpty());

    QStatusBar* status = window->statusBar();
    status->clearMessage();
    EXPECT_EQ(Acc(status)->text(QAccessible::Name), "Status");
    status->showMessage("Map file saved");
    EXPECT_EQ(Acc(status)->text(QAccessible::Name), "Map file saved");
}

TEST_F(WindowTest, PlotWindowsAndTheirChartsHaveNames) {
    QWidget* windows[] = {&window->plotWindows().TableCurves(), &window->plotWindows().Timeline()};
    for (QWidget* w : windows) {
        QAccessibleInterface* acc = Acc(w);
        EXPECT_EQ(acc->role(), QAccessible::Window) << w->objectName().toStdString();
        EXPECT_EQ(acc->text(QAccessible::Name), w->windowTitle());
        const auto charts = w->findChildren<QWidget*>(QRegularExpression("^(curve|timeline)\\(\\d\\)$"));
        EXPECT_FALSE(charts.isEmpty());
        for (QWidget* chart : charts) {
            EXPECT_EQ(Acc(chart)->role(), QAccessible::Chart) << chart->objectName().toStdString();
            EXPECT_FALSE(Acc(chart)->text(QAccessible::Name).isEmpty()) << chart->objectName().toStdString();
        }
    }
    EXPECT_EQ(Acc(window->plotWindows().TableCurves().findChild<QWidget*>("curve(0)"))->text(QAccessible::Name),
              "Engine speed table curve");
}

// Tab rounds the window once: each stop has the focus and a name, and every read-out is one; a screen
// reader walking down from the window finds the log's buttons, the named size grip and the menus.
TEST_F(WindowTest, TabReachesEveryReadOutAndTheTreeHoldsTheLogButtonsAndTheSizeGrip) {
    EnterEditMode();  // the settings frames are on
    std::set<QWidget*> reached;
    Widget<QWidget>("datatable(0)")->setFocus();
    for (QWidget* w = QApplication::focusWidget(); w && reached.insert(w).second; w = QApplication::focusWidget()) {
        EXPECT_TRUE(Acc(w)->state().focused && !Acc(w)->text(QAccessible::Name).isEmpty())
            << w->objectName().toStdString();
        QTest::keyClick(w, Qt::Key_Tab);
    }
    for (QLineEdit* w : window->findChildren<QLineEdit*>())  // every read-out shown and on
        EXPECT_TRUE(!w->isReadOnly() || !w->isVisible() || !w->isEnabled() || reached.count(w))
            << w->objectName().toStdString();
    QStringList names;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* at) {
        if (!at || at->role() == QAccessible::Table) return;  // not every cell
        names << at->text(QAccessible::Name);
        for (int i = 0; i < at->childCount(); ++i) walk(at->child(i));
    };
    walk(Acc(window.get()));
    for (const char* name : {"Log", "Marker", "Window size grip", "File"}) EXPECT_TRUE(names.contains(name)) << name;
}

}  // namespace
}  // namespace orv::app::test
