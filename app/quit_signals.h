#pragma once
// SIGTERM and SIGINT (Ctrl+C where the console was started) close the window
// as the user would, so the port is released and everything ends in order.
// Nobody is there to answer the question about unsaved calibration changes,
// so they are kept in a recovery map file beside config.dat, and its name
// is told on standard error.
#include <QApplication>
#include <filesystem>
#include <functional>
#include <string>

#include "app/main_window.h"
#include "core/page/main_page.h"

namespace orv::app {

struct KeptCalibration {
    std::string line;  // where the changes are, or why they are not; empty: there were none
    bool lost = false;
};

// Writes the calibration as a saved map holds it to a file of its own in
// `dir` ("recovery-<date>-<time>.map") when it has changes neither saved nor
// downloaded.
KeptCalibration KeepUnsavedCalibration(const Main_Page& console, const std::filesystem::path& dir);

// Installs the handlers; `dir` is the folder config.dat lives in. After the
// window has closed, `quit` ends the event loop with the exit status (1 when
// the changes were lost).
void QuitOnSignals(QApplication& app, MainWindow& window, const Main_Page& console, const std::filesystem::path& dir,
                   std::function<void(int)> quit = QApplication::exit);

}  // namespace orv::app
