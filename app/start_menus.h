#pragma once
// The menu entries that help a tuner find the way: File > Ports… and the
// Help menu (the user's manual, About).
namespace orv {
class Main_Page;
}

namespace orv::app {

class MainWindow;

// Adds File > Ports… (above Close) and the Help menu to the window's menu
// bar. Ports… needs the console on a real serial port and is disabled
// otherwise.
void AddStartMenus(MainWindow& window, Main_Page& console);

}  // namespace orv::app
