// Whole-image transfers as the window starts and ends them: upload reads the
// controller's calibration into the image, download programs the image into
// the controller. The link engine runs them; these handlers prepare the image
// and show how far they got.
#include <cstdio>
#include <filesystem>

#include "core/common/numbers.h"
#include "core/link/transfer_messages.h"
#include "core/page/main_page.h"

namespace orv {

namespace {

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
    // The controller answers the transfer, not live reads, until it ends.
    live_reading_ = false;
}

void Main_Page::upload_Click() {
    if (!ask_upload || !CalibrationUnsaved()) {
        StartUpload();
        return;
    }
    std::string question = kUnsavedChanges;
    question += " Upload replaces them with the controller's calibration. Upload anyway?";
    ask_upload(question, [this](bool go) {
        RunEvent([&] {
            if (go) StartUpload();
            else form.Tell("Upload cancelled: the calibration in memory is as it was", form::Form::NoticeKind::Info);
        });
    });
}

void Main_Page::StartUpload() {
    PrepareTransfer(kUploading);
    // A block read once that equals what the controller was last known to
    // hold needs no second read.
    comm.StartUpload(controller_image_ ? &*controller_image_ : nullptr);
}

void Main_Page::download_Click() {
    if (!ask_download) {
        StartDownload(false);
        return;
    }
    ask_download(DownloadQuestion(), [this](bool go, bool verify) {
        RunEvent([&] {
            if (go) StartDownload(verify);
            else form.Tell("Download cancelled: nothing was written to the controller", form::Form::NoticeKind::Info);
        });
    });
}

void Main_Page::StartDownload(bool verify) {
    PrepareTransfer(kDownloading);
    comm.StartDownload(verify);
}

std::string Main_Page::DownloadQuestion() const {
    const int port = form.COM.ListIndex();
    std::string where = port >= 0 ? form.COM.items[static_cast<std::size_t>(port)] : "the selected port";
    if (const std::string device = MSComm1.DeviceName(port + 1); port >= 0 && !device.empty())
        where.append(" (").append(device).append(")");
    std::string q = "Write the calibration in memory to the controller on " + where + "?\n\n";
    const std::string& map = ShowsTransferMessage(form.mapfile.Text) ? saved_mapname : config.cfg_map_file;
    if (map.empty()) q += "It comes from no map file";
    else q.append("Map file: ").append(std::filesystem::path(map).filename().string());
    q += CalibrationUnsaved() ? ", with changes not saved to it.\n" : ".\n";
    if (!controller_image_) {
        q += "What the controller holds is not known: nothing was uploaded or downloaded since the console started.";
    } else {
        int differ = 0;
        for (int i = 0; i < kCalibrationBytes; ++i) differ += (*controller_image_)[i] != cal.mem_image[i];
        q += differ == 0 ? "It is the same as the last upload or download."
                         : Thousands(differ) + (differ == 1 ? " byte differs" : " bytes differ") +
                               " from the last upload or download.";
    }
    return q;
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
    controller_image_ = cal.mem_image;
    f.Tell("Upload finished: calibration read from the controller", form::Form::NoticeKind::Done);
}

void Main_Page::Handle_Download() {
    EndTransferDisplay();
    // The controller holds the calibration now.
    MarkCalibrationKept();
    controller_image_ = cal.mem_image;
    form.Tell("Download finished: " + Thousands(kCalibrationBytes) + " bytes written", form::Form::NoticeKind::Done);
}

void Main_Page::TellVerified(const VerifyResult& check) {
    if (!check.unfinished.empty()) {
        std::string told = "Download finished: ";
        told.append(Thousands(kCalibrationBytes)).append(" bytes written, not verified: ").append(check.unfinished);
        form.Tell(told.append("; press Connect, then Download again to verify"), form::Form::NoticeKind::Failed);
        return;
    }
    if (check.verified) {
        form.Tell("Download finished: " + Thousands(kCalibrationBytes) + " bytes written, verified",
                  form::Form::NoticeKind::Done);
        return;
    }
    // What the controller holds is no longer known for sure.
    controller_image_.reset();
    char detail[96];
    std::snprintf(detail, sizeof detail, "0x%04X: written 0x%02X, read back 0x%02X",
                  kCalibrationBase + check.first_difference, check.programmed, check.read_back);
    form.Tell("Download written, but the read-back differs at " + std::string(detail) + "; download again",
              form::Form::NoticeKind::Failed);
}

}  // namespace orv
