#pragma once
// The console's common file dialog on QFileDialog.
#include "core/files/file_dialog.h"

class QWidget;

namespace orv::app {

class QtFileDialog : public FileDialog {
   public:
    explicit QtFileDialog(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> ShowOpen(const FileDialogRequest& request) override;
    std::optional<std::string> ShowSave(const FileDialogRequest& request) override;

   private:
    std::optional<std::string> Show(const FileDialogRequest& request, bool save);
    QWidget* parent_;
};

}  // namespace orv::app
