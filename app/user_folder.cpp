#include "app/user_folder.h"

#include <QStandardPaths>
#include <system_error>

namespace orv::app {

StartFolder UserFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return {.path = {}, .error = "the user's data folder is unknown (no home folder)"};
    const std::filesystem::path dir = std::filesystem::path(data.toStdString()) / "orv-console";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Appended, not "\"" + ...: GCC 12's Release build takes that for an overlapping copy.
    const std::string quoted = std::string(1, '"').append(dir.string()).append(1, '"');
    if (ec) return {.path = {}, .error = quoted + " cannot be made: " + ec.message()};
    if (!std::filesystem::is_directory(dir, ec)) return {.path = {}, .error = quoted + " is not a folder"};
    return {.path = dir, .error = {}};
}

StartFolder EnterStartFolder(bool user_folder) {
    std::error_code ec;
    StartFolder chosen;
    if (user_folder) {
        chosen = UserFolder();
        if (!chosen.path.empty()) {
            std::filesystem::current_path(chosen.path, ec);
            if (ec) chosen = {.path = {}, .error = "cannot work in \"" + chosen.path.string() + "\": " + ec.message()};
        }
    }
    if (chosen.path.empty()) chosen.path = std::filesystem::current_path(ec);
    return chosen;
}

std::filesystem::path FindSampleMap(const std::filesystem::path& program_dir,
                                    const std::filesystem::path& source_sample) {
    std::error_code ec;
    for (const std::filesystem::path& candidate :
         {program_dir.parent_path() / ORV_INSTALL_DATADIR / "orv-console" / "sample.map", source_sample}) {
        if (!candidate.empty() && std::filesystem::is_regular_file(candidate, ec)) return candidate.lexically_normal();
    }
    return {};
}

std::filesystem::path FindSampleMap(const std::filesystem::path& program_dir) {
    return FindSampleMap(program_dir, ORV_SOURCE_SAMPLE_MAP);
}

}  // namespace orv::app
