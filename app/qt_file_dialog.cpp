#include "app/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace orv::app {

std::optional<std::string> QtFileDialog::ShowOpen(const FileDialogRequest& request) { return Show(request, false); }

std::optional<std::string> QtFileDialog::ShowSave(const FileDialogRequest& request) { return Show(request, true); }

std::optional<std::string> QtFileDialog::Show(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.init_dir.empty()) dialog.setDirectory(QString::fromStdString(request.init_dir));
    if (!request.filter.empty()) {
        // "*.map" alone is a valid name filter; the files of any kind stay reachable.
        dialog.setNameFilters({QString::fromStdString(request.filter), QStringLiteral("*")});
    }
    if (!request.default_ext.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.default_ext));
    if (!request.file_name.empty()) dialog.selectFile(QString::fromStdString(request.file_name));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen.first()).toStdString();
}

}  // namespace orv::app
