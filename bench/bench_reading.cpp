// One reading line through the main window (parse, blue gain, conversion,
// seven texts, four bars, invalidation) and one paint of its chart, offscreen.
// Heap allocations are counted per iteration ("allocs" column).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "device/serial_port.h"
#include "res/resource.h"
#include "ui/chart_marker.h"
#include "ui/sensor_dlg.h"

namespace {

std::atomic<std::size_t> g_allocations{0};

}  // namespace

// Counting replacements of the global allocation functions (the whole
// benchmark program uses them; the count is all this adds).
void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// One application for the benchmark program, offscreen unless told otherwise,
// with a profile directory of its own (the window reads and writes its profile).
void EnsureApplication()
{
    static QTemporaryDir* config = nullptr;
    if (QApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velk-bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
    config = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", config->path().toLocal8Bit());
}

struct Application {
    Application() { EnsureApplication(); }
};

// The main window, shown; the application comes first (the window's icon needs it).
class Window : private Application {
public:
    Window()
    {
        dlg.Create();
        QApplication::processEvents();
    }
    ~Window() { dlg.DestroyWindow(); }
    velk::CSensorDlg dlg;
};

class AllocationCounter {
public:
    explicit AllocationCounter(benchmark::State& state) : state_(state), start_(g_allocations.load()) {}
    ~AllocationCounter()
    {
        state_.counters["allocs"] = benchmark::Counter(static_cast<double>(g_allocations.load() - start_),
                                                       benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    std::size_t start_;
};

void BM_ReadingLine(benchmark::State& state)
{
    Window w;
    // Every line changes every text and bar, as readings of a moving colour do.
    const char* const lines[] = {"$ADD0200,0280,02D8,03FF*45\n", "$ADD02BC,02BC,005B,0100*45\n",
                                 "$ADD0384,0064,0111,0200*45\n", "$ADD012C,00FA,00C8,0300*45\n"};
    std::size_t i = 0;
    {
        AllocationCounter count(state);
        for (auto _ : state) {
            w.dlg.HandleDataLine(lines[i++ & 3]);
            benchmark::DoNotOptimize(w.dlg.m_hue);
        }
    }
    QApplication::processEvents();
}
BENCHMARK(BM_ReadingLine);

// The window paints its chart rectangle into a picture-sized image made once:
// paint event, OnPaint (composition and one copy) and Qt's painter set-up.
void BM_ChartPaint(benchmark::State& state)
{
    Window w;
    QWidget* window = w.dlg.m_hWnd;
    const QRect chart(w.dlg.m_chartLeft, w.dlg.m_chartTop, w.dlg.m_chartWidth, w.dlg.m_chartHeight);
    QImage target(chart.size(), QImage::Format_RGB32);
    double hue = 0.0;
    {
        AllocationCounter count(state);
        for (auto _ : state) {
            w.dlg.m_hue = hue;
            w.dlg.m_value = 0.7;
            window->render(&target, QPoint(), QRegion(chart), QWidget::RenderFlags());
            benchmark::DoNotOptimize(target.constBits());
            hue = hue >= 359.0 ? 0.0 : hue + 1.0;
        }
    }
    state.SetBytesProcessed(state.iterations() * chart.width() * chart.height() * 4);
}
BENCHMARK(BM_ChartPaint)->Unit(benchmark::kMicrosecond);

// What OnPaint itself does on an open painter: the shared picture, the
// composition into the kept buffer, one drawImage. Expected: no allocation.
void BM_ChartPaintOwnWork(benchmark::State& state)
{
    EnsureApplication();
    QImage target(600, 500, QImage::Format_RGB32);
    QPainter painter(&target);
    QImage composed;
    velk::ComposeChart(velk::LoadBitmap(velk::IDB_CHART), 0.0, 0.5, composed);  // the first paint sizes it
    double hue = 0.0;
    {
        AllocationCounter count(state);
        for (auto _ : state) {
            velk::ComposeChart(velk::LoadBitmap(velk::IDB_CHART), hue, 0.7, composed);
            painter.drawImage(QPoint(20, 30), composed);
            benchmark::DoNotOptimize(target.constBits());
            hue = hue >= 359.0 ? 0.0 : hue + 1.0;
        }
    }
}
BENCHMARK(BM_ChartPaintOwnWork)->Unit(benchmark::kMicrosecond);

// One polling tick with a reading line waiting on a pseudo-terminal: the line
// read byte by byte, shown, and handed to the reading pipeline. The far end's
// write of the line is left out of the time.
void BM_PollingTick(benchmark::State& state)
{
    Window w;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    w.dlg.m_hPort = velk::OpenDevice(::ptsname(master));
    if (w.dlg.m_hPort == velk::INVALID_HANDLE_VALUE) {
        state.SkipWithError("the terminal end did not open");
        ::close(master);
        return;
    }
    w.dlg.ConfigurePort();
    static constexpr char kLine[] = "$ADD0200,0280,02D8,03FF*45\n";
    {
        AllocationCounter count(state);
        for (auto _ : state) {
            state.PauseTiming();
            if (::write(master, kLine, sizeof kLine - 1) != static_cast<ssize_t>(sizeof kLine - 1))
                state.SkipWithError("write to the far end failed");
            ::tcdrain(master);
            state.ResumeTiming();
            w.dlg.OnTimer(1);
        }
    }
    w.dlg.ClosePort();
    ::close(master);
    QApplication::processEvents();
}
BENCHMARK(BM_PollingTick)->Unit(benchmark::kMicrosecond);

}  // namespace
