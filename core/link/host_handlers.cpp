// Host mode: the console computes the injection times and advance at the live
// point and imposes them on the controller; remote mode leaves them to it.
// Until host mode is built, its replies leave the link as it is.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::Host_Click() {}
void Main_Page::remote_Click() {}
void Main_Page::Send_Host_On() {}
void Main_Page::Send_Host_Off() {}
void Main_Page::Handle_Host_Cycle() {}

}  // namespace orv
