// Transfers, host mode and the recorder arrive with their own changes; until
// then their handlers leave the link as it is.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::Handle_Upload() {}
void Main_Page::Handle_Download() {}
void Main_Page::Send_Host_On() {}
void Main_Page::Send_Host_Off() {}
void Main_Page::Handle_Host_Cycle() {}
void Main_Page::Host_Click() {}
void Main_Page::remote_Click() {}
void Main_Page::Recorder_Step() {}

}  // namespace orv
