// The window's link handlers: the buttons and the port's signal, handed to
// the link engine, and what the engine tells shown in the controls.
#include "core/page/main_page.h"

namespace orv {

void Main_Page::WireLink() {
    // The gauges come back by themselves once a transfer has finished.
    comm.poll_after_transfer = true;
    Link::Events& e = comm.events;
    e.status_changed = [this](LinkStatus status, const std::string& reason) {
        form.Text3.Text = StatusText(status);
        // The loss is told until the controller answers again.
        if (status == LinkStatus::Connected) {
            loss_told_ = false;
            const std::string host = host_resumes_ ? ResumeHost() : std::string();
            if (!host.empty() || (!lost_link_notice_.empty() && form.Notice == lost_link_notice_))
                form.Tell(std::string("The controller answers again").append(host), form::Form::NoticeKind::Done);
        }
        if (status != LinkStatus::Offline) return;
        live_reading_ = false;
        // Told once per loss: the port restarted around a file dialog finds
        // the controller as silent as before, and whatever the tuner was
        // told since (a save that failed) stays on the status line; the
        // status box says the link is down.
        if (reason.empty() || loss_told_) return;
        loss_told_ = true;
        lost_link_notice_ = "No live data: " + reason + ". Check the cable and the port";
        lost_link_notice_ += comm.KeepsAsking() ? "; the console carries on by itself once the controller answers"
                                                : ", then press Connect";
        form.Tell(lost_link_notice_, form::Form::NoticeKind::Failed);
    };
    e.live_block = [this](const Bytes&) { Handle_Live(); };
    e.host_values = [this](const Bytes&) { return Handle_Host_Cycle(); };
    e.transfer_progress = [this](TransferKind, int position) { form.ProgressBar1.Value = position; };
    e.transfer_finished = [this](TransferKind kind, const std::optional<VerifyResult>& check) {
        if (kind == TransferKind::Upload) {
            Handle_Upload();
            return;
        }
        Handle_Download();
        if (check) TellVerified(*check);
    };
    e.transfer_stalled = [this](TransferKind, int, const std::string& message) {
        EndTransferDisplay();
        // The message says why, and what to press: the silence that follows
        // is the same loss.
        loss_told_ = true;
        form.Tell(message, form::Form::NoticeKind::Failed);
    };
    // Given up by Connect: a later Connect or Monitor must not put this name
    // back over one loaded since, nor leave its progress.
    e.transfer_abandoned = [this](TransferKind) { EndTransferDisplay(); };
}

void Main_Page::EndTransferDisplay() {
    form.ProgressBar1.Value = 0;
    form.mapfile.Text = saved_mapname;
}

void Main_Page::Send_Frame() { comm.SendFrame(); }

void Main_Page::StartCom() { comm.Start(); }

void Main_Page::StopCom() { comm.Stop(); }

void Main_Page::COM_Click() {
    int index = form.COM.ListIndex();
    if (index < 0) return;
    config.cfg_port = index + 1;
    Write_Config();
    // A port of the tuner's choosing, or Connect: whether the controller
    // answers now is news, even if it was silent before.
    loss_told_ = false;
    comm.UsePort(index + 1);
}

void Main_Page::Connect_Click() {
    loss_told_ = false;
    comm.Connect();
}

void Main_Page::MSComm1_OnComm(CommEvent event) {
    const bool shown = comm.OnComm(event);
    // Every signal is a sign of life, whatever the box was left saying.
    const char* status = StatusText(comm.status());
    if (!shown && form.Text3.Text == status) NothingShownChanged();
    form.Text3.Text = status;
}

void Main_Page::SuperviseLink() {
    // The status box follows the link's status through its event; the
    // read-outs fall to rest once, when the controller goes silent.
    const bool was_offline = comm.status() == LinkStatus::Offline;
    comm.Tick();
    if (!comm.Silent()) return;
    if (!was_offline) Reset_Monitor();
    // The console can impose nothing on a silent controller: remote mode
    // until it answers, then host mode again if the tuner had it.
    if (form.Host.Value()) host_resumes_ = true;
    form.remote.SetValue(true);
}

std::string Main_Page::ResumeHost() {
    host_resumes_ = false;
    // A transfer pressed during the silence holds the link: host mode would
    // take its place.
    if (Transferring() != TransferUnderWay::None) return "; host mode stays off: a transfer holds the link";
    form.Host.SetValue(true);
    return "; host mode is on again";
}

}  // namespace orv
