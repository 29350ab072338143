// Whole-image transfers as the window starts and ends them: upload reads the
// controller's calibration into the image, download programs the image into
// the controller. The link engine runs them; these handlers prepare the image
// and show how far they got.
#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {

constexpr const char* kUploading = "Uploading - Please Wait!!";
constexpr const char* kDownloading = "Downloading - Please Wait!!";

bool ShowsTransferMessage(const std::string& text) { return text == kUploading || text == kDownloading; }

}  // namespace

void Main_Page::PrepareTransfer(const char* message) {
    SetBank1Mem();
    // The view bits now read "Bank 1" everywhere; the view buttons follow, or
    // a grid left on "Bank 2" or "Ignition" would send its edits to bank 1
    // (after a download, and after an upload cut short by Connect).
    form.bank1mem.SetValue(true);
    // Pressed again while a transfer runs, the box shows its message, not the
    // map name: the name saved then is kept so the end can put it back.
    if (!ShowsTransferMessage(form.mapfile.Text)) saved_mapname = form.mapfile.Text;
    form.mapfile.Text = message;
}

void Main_Page::upload_Click() {
    PrepareTransfer(kUploading);
    comm.StartUpload();
}

void Main_Page::download_Click() {
    PrepareTransfer(kDownloading);
    comm.StartDownload();
}

void Main_Page::Handle_Upload() {
    form::Form& f = form;
    // The whole display follows the new image: slot, settings, grids.
    Show_Mem_Slot();
    Show_Settings();
    LoadDataColumns();
    EndTransferDisplay();
    if (!f.bank2sel.Value()) f.bank1mem.SetValue(true);
    MarkCalibrationKept();
    f.Tell("Upload finished: calibration read from the controller", form::Form::NoticeKind::Done);
}

void Main_Page::Handle_Download() {
    EndTransferDisplay();
    // The controller holds the calibration now.
    MarkCalibrationKept();
    form.Tell("Download finished: " + Thousands(kCalibrationBytes) + " bytes written", form::Form::NoticeKind::Done);
}

}  // namespace orv
