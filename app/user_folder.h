#pragma once
// Where the console keeps what it remembers (config.dat, ports.ini, the comN
// links, and by default its map files and recordings), and the sample map a
// first start opens.
#include <filesystem>
#include <string>

namespace orv::app {

struct StartFolder {
    std::filesystem::path path;
    std::string error;  // why the user's folder could not be made; path is then empty
};

// The user's own folder, GenericDataLocation/orv-console
// (~/.local/share/orv-console), made if it is not there yet.
StartFolder UserFolder();

// The folder a run keeps its files in: the user's folder with
// --user-folder, else the working folder. The console then works in it, so
// that its file dialogs open there too. On failure the working folder is
// kept, and `error` says why.
StartFolder EnterStartFolder(bool user_folder);

// The sample map shipped with the console: installed beside the program
// (BINDIR/../DATADIR/orv-console/sample.map), else `source_sample` (the
// source tree the program was built from). Empty when neither is a file.
std::filesystem::path FindSampleMap(const std::filesystem::path& program_dir,
                                    const std::filesystem::path& source_sample);
std::filesystem::path FindSampleMap(const std::filesystem::path& program_dir);

}  // namespace orv::app
