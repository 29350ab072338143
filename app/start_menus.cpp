#include "app/start_menus.h"

#include <QAction>
#include <QMenuBar>
#include <QPointer>

#include "app/help_window.h"
#include "app/main_window.h"
#include "app/port_choice.h"
#include "app/ports_dialog.h"
#include "core/page/main_page.h"
#include "serial/qt_serial_port.h"

namespace orv::app {

namespace {

void OpenPortsDialog(MainWindow& window, Main_Page& console, serial::QtSerialPort& port) {
    auto* dialog = new PortsDialog([] { return PresentPorts(); },
                                   [&window, &console, &port](int n, const std::string& device) {
                                       return UseChosenPort(console, window.binding(), port, n, device);
                                   },
                                   [&port](int n) { return port.Device(n).string(); }, &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->SetPortNumber(console.config.cfg_port >= 1 ? console.config.cfg_port : 1);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
}

}  // namespace

void AddStartMenus(MainWindow& window, Main_Page& console) {
    QMenu* file = window.fileMenu();
    QAction* close = window.findChild<QAction*>("closewindow");
    auto* ports = new QAction(QStringLiteral("&Ports…"), file);
    ports->setObjectName("ports");
    auto* serial_port = dynamic_cast<serial::QtSerialPort*>(&console.MSComm1);
    ports->setEnabled(serial_port != nullptr);
    if (serial_port) {
        QObject::connect(ports, &QAction::triggered, &window,
                         [&window, &console, serial_port] { OpenPortsDialog(window, console, *serial_port); });
    }
    file->insertAction(close, ports);
    file->insertSeparator(close);

    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName("HelpMenu");
    QAction* manual = help->addAction(QStringLiteral("User's &manual"));
    manual->setObjectName("manual");
    manual->setShortcut(QKeySequence::HelpContents);
    // One manual window, made when first asked for and kept.
    auto shown = std::make_shared<QPointer<ManualWindow>>();
    QObject::connect(manual, &QAction::triggered, &window, [&window, shown] {
        if (!*shown) *shown = new ManualWindow(&window);
        (*shown)->show();
        (*shown)->raise();
        (*shown)->activateWindow();
    });
    QAction* about = help->addAction(QStringLiteral("&About ORV Console"));
    about->setObjectName("about");
    QObject::connect(about, &QAction::triggered, &window, [&window] { OpenAbout(&window); });
}

}  // namespace orv::app
