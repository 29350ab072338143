// Whole-image transfers: upload reads the controller's calibration into the
// image, download programs the image into the controller. Until they are
// built, their replies leave the link as it is.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::upload_Click() {}
void Main_Page::download_Click() {}
void Main_Page::Handle_Upload() {}
void Main_Page::Handle_Download() {}

}  // namespace orv
