// White balance from the reading on screen.
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::OnWhiteBalance() {}

}  // namespace velk
