#pragma once
// Names a save must not replace: a FIFO, a device node, a folder and links
// to them. A test makes each in its scratch folder, saves onto it and checks
// it is still what it was.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>

namespace orv::test {

enum class OddFile { Fifo, Device, LinkToDevice, LinkToFifo, Folder, LinkToFolder };

constexpr OddFile kOddFiles[] = {OddFile::Fifo,       OddFile::Device, OddFile::LinkToDevice,
                                 OddFile::LinkToFifo, OddFile::Folder, OddFile::LinkToFolder};

inline const char* Name(OddFile s) {
    switch (s) {
        case OddFile::Fifo: return "FIFO";
        case OddFile::Device: return "device node";
        case OddFile::LinkToDevice: return "link to /dev/null";
        case OddFile::LinkToFifo: return "link to a FIFO";
        case OddFile::Folder: return "folder";
        case OddFile::LinkToFolder: return "link to a folder";
    }
    return "";
}

// The kind of file `path` names, links followed.
inline std::filesystem::file_type TypeOf(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::status(path, ec).type();
}

// Makes `path` as `kind`, the things links point to beside it. False when
// this run cannot: a device node needs root.
inline bool MakeOddFile(const std::filesystem::path& path, OddFile kind) {
    namespace fs = std::filesystem;
    const fs::path aside = path.string() + ".target";
    std::error_code ec;
    switch (kind) {
        case OddFile::Fifo: return ::mkfifo(path.c_str(), 0666) == 0;
        // The same device as /dev/null: harmless to write, wrong to replace.
        case OddFile::Device: return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
        case OddFile::LinkToDevice: fs::create_symlink("/dev/null", path, ec); return !ec;
        case OddFile::LinkToFifo:
            if (::mkfifo(aside.c_str(), 0666) != 0) return false;
            fs::create_symlink(aside.filename(), path, ec);
            return !ec;
        case OddFile::Folder: return fs::create_directory(path, ec);
        case OddFile::LinkToFolder:
            if (!fs::create_directory(aside, ec)) return false;
            fs::create_symlink(aside.filename(), path, ec);
            return !ec;
    }
    return false;
}

}  // namespace orv::test
