#pragma once
// Help: the user's manual, pages of Markdown compiled into the program
// (docs/manual/), in a window of its own; and About, the version and the
// licence.
#include <QString>
#include <QWidget>
#include <vector>

class QListWidget;
class QTextBrowser;

namespace orv::app {

struct ManualPage {
    QString file;  // "connecting.md", under docs/manual/
    QString title;
};
// The manual's pages in reading order; the first is the contents.
const std::vector<ManualPage>& ManualPages();
// Where the compiled-in pages are: qrc:/manual/FILE.
QString ManualUrl(const QString& file);

class ManualWindow : public QWidget {
   public:
    explicit ManualWindow(QWidget* parent = nullptr);
    // Shows a page by its file name; links between pages work as in a browser.
    void ShowPage(const QString& file);
    QTextBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }

   private:
    QListWidget* contents_;
    QTextBrowser* browser_;
};

// The About box's text: name, version, licence.
QString AboutText();
// Opens the About box without waiting for it.
void OpenAbout(QWidget* parent);

}  // namespace orv::app
