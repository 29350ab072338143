#include "app/settings_file.h"

#include <cstdio>
#include <set>

#include "core/files/read_file.h"

namespace orv::app {

namespace {

std::string Quoted(const std::filesystem::path& file) { return std::string(1, '"').append(file.string()).append("\""); }

std::unique_ptr<QSettings> Open(const std::filesystem::path& file) {
    return std::make_unique<QSettings>(QString::fromStdString(file.string()), QSettings::IniFormat);
}

}  // namespace

std::unique_ptr<QSettings> ReadSettings(const std::filesystem::path& file) {
    if (const std::string refused = NotRegularFileError(file); !refused.empty()) {
        // Said once a run, however often the file is asked for.
        static std::set<std::string> told;
        if (told.insert(file.string()).second)
            std::fprintf(stderr, "orv-console: %s %s: its settings are not used\n", Quoted(file).c_str(),
                         refused.c_str());
        return nullptr;
    }
    return Open(file);
}

std::unique_ptr<QSettings> ChangeSettings(const std::filesystem::path& file, std::string* error) {
    if (const std::string refused = NotRegularFileError(file); !refused.empty()) {
        if (error) *error = Quoted(file) + " cannot be written: " + refused;
        return nullptr;
    }
    return Open(file);
}

bool SaveSettings(QSettings& settings, std::string* error) {
    settings.sync();
    if (settings.status() == QSettings::NoError) return true;
    if (error) *error = Quoted(settings.fileName().toStdString()) + " cannot be written";
    return false;
}

}  // namespace orv::app
