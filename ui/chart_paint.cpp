// The hue-value chart with its marker.
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::OnPaint() {}

}  // namespace velk
