// Map files: the whole calibration image saved to and loaded from disk, and
// the printable report written beside every saved map. The link is closed
// while the dialog is up and the file is read or written, and opened again
// afterwards, whether the operation worked or not: a failure is told in the
// window and leaves the image, the map file on disk and the link as usable as
// they were. Cancelling the dialog changes nothing.
#include <system_error>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "core/files/map_report.h"
#include "core/files/read_file.h"
#include "core/page/main_page.h"

namespace orv {

namespace {

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

std::optional<std::string> Main_Page::AskMapFile(bool save) {
    if (!file_dialog) return std::nullopt;
    std::error_code ec;
    FileDialogRequest request;
    request.init_dir = std::filesystem::current_path(ec).string();
    request.title = save ? "Save" : "Load";
    request.filter = "*.map";
    request.file_name = "*.map";
    request.default_ext = "map";
    std::optional<std::string> chosen = save ? file_dialog->ShowSave(request) : file_dialog->ShowOpen(request);
    if (chosen && chosen->empty()) return std::nullopt;
    return chosen;
}

std::string Main_Page::Read_Map_File(const std::string& path) {
    ValueList map = ReadMapFile(path);
    if (!map.error.empty()) return map.error;
    SetBank1Mem();
    ApplyMapValues(cal.mem_image, map.values);
    return {};
}

void Main_Page::loadmem_Click() {
    form::Form& f = form;
    const bool was_open = MSComm1.IsOpen();
    StopCom();
    const std::optional<std::string> path = AskMapFile(false);
    if (!path) {
        if (was_open) StartCom();
        return;
    }
    f.Notice.clear();
    if (const std::string error = Read_Map_File(*path); !error.empty()) {
        f.Tell("Map file " + Quote(*path) + " not loaded: " + error, form::Form::NoticeKind::Failed);
    } else {
        f.mapfile.Text = *path;
        Show_Mem_Slot();
        Show_Settings();
        LoadDataColumns();
        if (!f.bank2sel.Value()) f.bank1mem.SetValue(true);
        MarkCalibrationKept();
        Remember(&ConfigValues::cfg_map_file, *path);
    }
    StartCom();
}

void Main_Page::savemem_Click() {
    form::Form& f = form;
    const bool was_open = MSComm1.IsOpen();
    StopCom();
    const std::optional<std::string> path = AskMapFile(true);
    if (!path) {
        if (was_open) StartCom();
        return;
    }
    f.Notice.clear();
    // Map files carry "Bank 1" in every view field. The console's own image
    // keeps the view the grids show, or edits would go to a table other than
    // the one on screen.
    Image saved = cal.mem_image;
    ClearViewBits(saved);
    // The report goes first: a save cut short leaves the old pair, or the
    // new report beside the old map, never a map its report does not show.
    // A name that cannot take the map gets no report either.
    std::string error = NotRegularFileError(*path);
    if (error.empty()) {
        Write_Map_Report(*path);
        error = WriteMapFile(*path, saved);
    }
    if (!error.empty()) {
        f.Tell("Map file " + Quote(*path) + " not saved: " + error, form::Form::NoticeKind::Failed);
    } else {
        f.mapfile.Text = *path;
        MarkCalibrationKept();
        Remember(&ConfigValues::cfg_map_file, *path);
    }
    StartCom();
}

void Main_Page::Write_Map_Report(const std::string& map_path) {
    const std::optional<std::string> report = ReportPath(map_path);
    if (!report) return;
    Image image = cal.mem_image;
    ClearViewBits(image);
    std::string error;
    // A report name that is a link to the map itself would put the report
    // where the map belongs.
    if (SameFile(*report, map_path)) error = "it is the map file itself";
    else WriteFileAtomically(*report, MapReport(image, map_path, form.Advancer.Visible), &error);
    if (!error.empty())
        form.Tell("Report " + Quote(*report) + " not written: " + error, form::Form::NoticeKind::Failed);
}

bool Main_Page::CalibrationUnsaved() const { return ImageChanged(cal.mem_image, cal.kept_image); }

void Main_Page::MarkCalibrationKept() { cal.kept_image = cal.mem_image; }

}  // namespace orv
