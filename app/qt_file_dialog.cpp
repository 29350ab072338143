#include "app/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace orv::app {

namespace {

// QFileDialog reads a typed name that holds a double quote as a list of
// quoted names ("a" "b") and keeps only what stands between the quotes:
// my "best",tune.map would be saved as best.map. The console asks for one
// file, so such a line is taken whole, as the name it is.
class OneNameDialog : public QFileDialog {
   public:
    OneNameDialog(QWidget* parent, const QString& caption) : QFileDialog(parent, caption) {}
    std::optional<QString> whole_name;

    void accept() override {
        const QLineEdit* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = edit ? edit->text() : QString();
        if (!typed.contains(u'"')) return QFileDialog::accept();
        QFileInfo info(directory(), typed);
        if (!defaultSuffix().isEmpty() && !info.fileName().contains(u'.'))
            info.setFile(info.filePath() + u'.' + defaultSuffix());
        if (info.isDir()) return QFileDialog::accept();
        // An open dialog takes only a file that is there; it says so itself.
        if (acceptMode() == AcceptOpen && !info.exists()) return QFileDialog::accept();
        if (acceptMode() == AcceptSave && info.exists() && !testOption(DontConfirmOverwrite) &&
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        whole_name = info.absoluteFilePath();
        QDialog::accept();
    }
};

}  // namespace

std::optional<std::string> QtFileDialog::ShowOpen(const FileDialogRequest& request) { return Show(request, false); }

std::optional<std::string> QtFileDialog::ShowSave(const FileDialogRequest& request) { return Show(request, true); }

std::optional<std::string> QtFileDialog::Show(const FileDialogRequest& request, bool save) {
    OneNameDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.init_dir.empty()) dialog.setDirectory(QString::fromStdString(request.init_dir));
    if (!request.filter.empty()) {
        // "*.map" alone is a valid name filter; the files of any kind stay reachable.
        dialog.setNameFilters({QString::fromStdString(request.filter), QStringLiteral("*")});
    }
    if (!request.default_ext.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.default_ext));
    if (!request.file_name.empty()) dialog.selectFile(QString::fromStdString(request.file_name));
    // Modal to the console's window alone: the plot windows of another
    // window hierarchy, and the rest of the desktop, stay usable.
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (dialog.whole_name) return QDir::toNativeSeparators(*dialog.whole_name).toStdString();
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen.first()).toStdString();
}

}  // namespace orv::app
