#pragma once
// The console's own settings files (ports.ini, logging.ini, logviewer.ini),
// in QSettings' INI format. QSettings opens the file itself, and the open
// of a FIFO waits for a writer for ever: each file first goes through the
// check every file the console opens goes through (core/files/read_file.h).
// A file refused is neither read nor written, and the message names it.
#include <QSettings>
#include <filesystem>
#include <memory>
#include <string>

namespace orv::app {

// The settings in `file` to read; null when the file is refused, which is
// said on standard error ("orv-console: \"/home/t/logging.ini\" is a FIFO,
// not a regular file: its settings are not used").
std::unique_ptr<QSettings> ReadSettings(const std::filesystem::path& file);

// The settings in `file` to change and write back with `SaveSettings`;
// null when the file is refused, with the reason in *error ("\"...\" cannot
// be written: is a FIFO, not a regular file").
std::unique_ptr<QSettings> ChangeSettings(const std::filesystem::path& file, std::string* error);

// Writes the changes; false with the reason in *error.
bool SaveSettings(QSettings& settings, std::string* error);

}  // namespace orv::app
