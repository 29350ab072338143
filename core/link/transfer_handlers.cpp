// Whole-image transfers: upload reads the controller's calibration into the
// image, download programs the image into the controller. Both run on the
// lock-step link, one request per reply, and hold the link until they finish.
#include <algorithm>

#include "core/common/numbers.h"
#include "core/link/transfer.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {

constexpr const char* kUploading = "Uploading - Please Wait!!";
constexpr const char* kDownloading = "Downloading - Please Wait!!";

bool ShowsTransferMessage(const std::string& text) { return text == kUploading || text == kDownloading; }

// Both buttons start the same way: the transfer takes over at the reply to
// the request in flight (which it ignores), or at once when the link is idle.
void StartTransfer(Main_Page& page, Cmd cmd, const char* message, void (Main_Page::*handler)()) {
    page.SetBank1Mem();
    // The view bits now read "Bank 1" everywhere; the view buttons follow, or
    // a grid left on "Bank 2" or "Ignition" would send its edits to bank 1
    // (after a download, and after an upload cut short by Connect).
    page.form.bank1mem.SetValue(true);
    page.xfer.xfer_pos = 0;
    if (cmd == kCmdDownload) page.xfer.dl_step = 0;
    // Pressed again while a transfer runs, the box shows its message, not the
    // map name: the name saved then is kept so the end can put it back.
    if (!ShowsTransferMessage(page.form.mapfile.Text)) page.xfer.saved_mapname = page.form.mapfile.Text;
    page.form.mapfile.Text = message;
    page.link.next_cmd = cmd;
    // A request on the line, or one waiting for a quiet line, is let finish:
    // pressed twice before its reply, the second press finds cur_cmd already
    // cleared, and sending now would put a second request on the line.
    if (page.link.cur_cmd != kCmdNone || page.link.awaiting || page.link.settling) {
        page.link.cur_cmd = kCmdNone;
        return;
    }
    (page.*handler)();
}

// The request just built goes out with the receive path's re-send, except
// where that send does not happen: on the first call, made by the button with
// the link idle, and on the reply that ends a connect's probe (the receive
// path holds its re-send back for it, meant for the live handler, which the
// transfer has replaced). Left to wait, the transfer would stall there.
void Post(Main_Page& page, Cmd cmd) {
    const bool first_from_button = page.link.next_cmd == cmd && page.link.cur_cmd == kCmdNone;
    const bool probe_reply = page.link.cur_cmd != kCmdNone && page.link.probe;
    if (first_from_button || probe_reply) page.Send_Frame();
    else page.link.tx_frame = page.link.tx_buf;
}

}  // namespace

void Main_Page::upload_Click() { StartTransfer(*this, kCmdUpload, kUploading, &Main_Page::Handle_Upload); }

void Main_Page::download_Click() { StartTransfer(*this, kCmdDownload, kDownloading, &Main_Page::Handle_Download); }

void Main_Page::Handle_Upload() {
    form::Form& f = form;
    transfer::UploadCheck& check = xfer.upload;
    if (xfer.xfer_pos == 0) {
        check.Start();
        f.ProgressBar1.Value = 0;
    } else if (check.Taken(link.rx_data, cal.mem_image)) {
        link.next_cmd = kCmdNone;
        link.cur_cmd = kCmdNone;
        // The whole display follows the new image: slot, settings, grids.
        Show_Mem_Slot();
        Show_Settings();
        LoadDataColumns();
        f.ProgressBar1.Value = 0;
        f.mapfile.Text = xfer.saved_mapname;
        if (!f.bank2sel.Value()) f.bank1mem.SetValue(true);
        MarkCalibrationKept();
    } else if (xfer.xfer_pos <= transfer::kEndOfArea + transfer::kBlockSize) {
        // A block read: the bar follows the reads, the image the blocks kept.
        f.ProgressBar1.Value = std::max(f.ProgressBar1.Value, std::min<int>(xfer.xfer_pos, transfer::kEndOfArea) - 1);
    }
    if (link.cur_cmd != kCmdNone || link.next_cmd == kCmdUpload) {
        const auto next = check.Next();
        if (!next) {
            StopTransfer(true, check.FirstUnkept(), "the line is too noisy");
            return;
        }
        link.reply_len = transfer::kReadReplyLength;
        xfer.xfer_pos = static_cast<std::int16_t>(next->block * transfer::kBlockSize);
        link.tx_buf = transfer::NextRead(xfer.xfer_pos);
        link.quiet_first = next->after_quiet;
        Post(*this, kCmdUpload);
    }
}

void Main_Page::Handle_Download() {
    link.reply_len = transfer::kWriteReplyLength;
    if (xfer.dl_step == transfer::kStepOpen) xfer.block_pos = xfer.xfer_pos;
    if (const auto write = transfer::NextWrite(cal.mem_image, xfer.xfer_pos, xfer.dl_step)) {
        link.tx_buf = write->frame;
        if (write->progress) form.ProgressBar1.Value = *write->progress;
    } else {
        // The reply to the last write: nothing more is sent.
        link.cur_cmd = kCmdNone;
        link.next_cmd = kCmdNone;
        form.ProgressBar1.Value = 0;
        form.mapfile.Text = xfer.saved_mapname;
        // The controller holds the calibration now.
        MarkCalibrationKept();
    }
    Post(*this, kCmdDownload);
}

void Main_Page::StopTransfer(bool upload, int at, const char* why) {
    link.cur_cmd = kCmdNone;
    link.next_cmd = kCmdNone;
    link.quiet_first = false;
    form.ProgressBar1.Value = 0;
    form.mapfile.Text = xfer.saved_mapname;
    const char* what = upload ? "Upload" : "Download";
    form.Notice = std::string(what) + " stopped at byte " + Thousands(at) + " of " + Thousands(transfer::kEndOfArea) +
                  ": " + why + "; press Connect, then " + what + " again";
}

}  // namespace orv
