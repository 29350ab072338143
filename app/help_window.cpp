#include "app/help_window.h"

#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>

#include "orv_version.h"

namespace orv::app {

const std::vector<ManualPage>& ManualPages() {
    static const std::vector<ManualPage> pages = {
        {"index.md", "Contents"},         {"connecting.md", "Connecting"}, {"monitoring.md", "Monitoring"},
        {"editing.md", "Editing tables"}, {"settings.md", "Settings"},     {"slots.md", "Memory slots"},
        {"transfers.md", "Transfers"},    {"host-mode.md", "Host mode"},   {"map-files.md", "Map files"},
        {"recorder.md", "Recorder"},      {"logging.md", "Logging"},       {"plots.md", "Plots"},           {"tools.md", "Tuner's tools"},
        {"orvtool.md", "orvtool"},
    };
    return pages;
}

QString ManualUrl(const QString& file) { return QStringLiteral("qrc:/manual/") + file; }

namespace {

constexpr int kPictureWidth = 620;  // a picture's widest on a page, in pixels

// The window's pictures are taken at full size: each is shown at most
// kPictureWidth wide, in proportion.
void FitPictures(QTextBrowser* browser) {
    QTextDocument* doc = browser->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid()) continue;
            const QVariant data = browser->loadResource(QTextDocument::ImageResource, QUrl(format.name()));
            const QImage image = data.canConvert<QImage>() && data.typeId() == QMetaType::QImage
                                     ? data.value<QImage>()
                                     : QImage::fromData(data.toByteArray());
            if (image.isNull() || image.width() <= kPictureWidth) continue;
            format.setWidth(kPictureWidth);
            format.setHeight(static_cast<double>(image.height()) * kPictureWidth / image.width());
            QTextCursor cursor(doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

}  // namespace

ManualWindow::ManualWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("ManualWindow");
    setWindowTitle(QStringLiteral("ORV Console - User's manual"));
    auto* layout = new QHBoxLayout(this);
    contents_ = new QListWidget(this);
    contents_->setObjectName("contents");
    for (const ManualPage& page : ManualPages()) contents_->addItem(page.title);
    contents_->setFixedWidth(150);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("page");
    browser_->setOpenExternalLinks(true);
    layout->addWidget(contents_);
    layout->addWidget(browser_, 1);
    resize(860, 640);

    connect(contents_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(ManualPages().size()))
            ShowPage(ManualPages()[static_cast<size_t>(row)].file);
    });
    // A link followed inside the pages moves the contents' mark along.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        FitPictures(browser_);
        const QString file = url.fileName();
        for (size_t i = 0; i < ManualPages().size(); ++i) {
            if (ManualPages()[i].file != file) continue;
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentRow(static_cast<int>(i));
        }
    });
    ShowPage(ManualPages().front().file);
}

void ManualWindow::ShowPage(const QString& file) {
    browser_->setSource(QUrl(ManualUrl(file)), QTextDocument::MarkdownResource);
}

QString AboutText() {
    return QStringLiteral(
               "<h3>ORV Console %1</h3>"
               "<p>Watches and calibrates the ORV engine controller over a serial line.</p>"
               "<p>Copyright 2026 The ORV console developers.<br>"
               "Licence: proprietary. All rights reserved; no licence to copy, modify or redistribute this software "
               "is granted beyond what its authors state in writing.</p>"
               "<p>Built with Qt %2.</p>")
        .arg(QString::fromLatin1(kVersion), QString::fromLatin1(QT_VERSION_STR));
}

void OpenAbout(QWidget* parent) {
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About ORV Console"), AboutText(), QMessageBox::Ok, parent);
    box->setObjectName("AboutBox");
    box->setTextFormat(Qt::RichText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

}  // namespace orv::app
