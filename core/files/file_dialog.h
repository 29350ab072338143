#pragma once
// The common file dialog as the console uses it. The Qt layer puts QFileDialog
// behind it; tests give scripted answers.
#include <optional>
#include <string>

namespace orv {

struct FileDialogRequest {
    std::string init_dir;
    std::string title;   // "Load", "Save"
    std::string filter;  // "*.map", "*.rec"
    std::string file_name;
    std::string default_ext;  // "map": a name typed without extension gets ".map"
};

class FileDialog {
   public:
    virtual ~FileDialog() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> ShowOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ShowSave(const FileDialogRequest& request) = 0;
};

}  // namespace orv
