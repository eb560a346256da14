// The hue-value chart with its marker.
#include <QImage>
#include <QPainter>
#include <QPoint>

#include "ui/chart_marker.h"
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::OnPaint()
{
    // No minimised branch: X11 and Wayland show a minimised window themselves,
    // by the icon given to SetIcon; the program never draws it.
    CPaintDC dc(this);

    // The picture is made once and shared by the resource layer. The marker is
    // drawn into a copy that keeps its storage from paint to paint, so a paint
    // costs one copy of the picture and no allocation; the screen never gets a
    // marker of its own to erase. One thread paints, so one buffer serves.
    static QImage composed;
    ComposeChart(LoadBitmap(IDB_CHART), m_hue, m_value, composed);
    dc.Painter().drawImage(QPoint(m_chartLeft, m_chartTop), composed);
}

}  // namespace velk
