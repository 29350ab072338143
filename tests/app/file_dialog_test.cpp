// The Qt file dialog hands back the name the user typed, whole: QFileDialog
// alone reads a name with double quotes as a list of quoted names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "app/qt_file_dialog.h"

namespace orv::app::test {
namespace {

// Types `name` into the dialog that is about to open and presses Enter.
void TypeAndAccept(const QString& name) {
    QTimer::singleShot(0, [name] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        }
    });
}

TEST(QtFileDialog, TheNameTypedIsTheNameGiven) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("old \"one\".map")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const struct {
        QString typed;
        QString chosen;  // in the dialog's folder
        bool save;
    } cases[] = {
        {QStringLiteral("my \"best\",tune.map"), QStringLiteral("my \"best\",tune.map"), true},
        {QStringLiteral("my \"best\",tune"), QStringLiteral("my \"best\",tune.map"), true},  // the default extension
        {QStringLiteral("plain"), QStringLiteral("plain.map"), true},
        {QStringLiteral("old \"one\".map"), QStringLiteral("old \"one\".map"), false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.typed.toStdString());
        FileDialogRequest request;
        request.init_dir = dir.path().toStdString();
        request.title = k.save ? "Save" : "Load";
        request.filter = request.file_name = "*.map";
        request.default_ext = "map";
        QtFileDialog files(nullptr);
        TypeAndAccept(k.typed);
        const std::optional<std::string> chosen = k.save ? files.ShowSave(request) : files.ShowOpen(request);
        EXPECT_EQ(chosen, dir.filePath(k.chosen).toStdString());
    }
}

}  // namespace
}  // namespace orv::app::test
