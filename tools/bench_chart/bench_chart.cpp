// Times the chart and the read-outs on the offscreen platform: the drawing of a 900-sample
// track into a 1000 x 200 plot (computed lines, painted image, and the strip's whole DrawChart)
// and one playback tick of ShowTelemetryAt (with and without the repaint it causes).
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "telemetry_view/chart_painter.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/telemetry_display.h"

using namespace korvane;

namespace {

std::unique_ptr<TelemetryTrack> MakeTrack()
{
    auto t = std::make_unique<TelemetryTrack>();
    t->sampleCount = 900;
    for (int i = 0; i < 900; ++i) {
        TelemetrySample& s = t->samples[i];
        s.fixValid = (i / 100) % 4 != 3;  // a stretch without fix every 40 s
        s.speedKmh = 60 + 50 * std::sin(i / 40.0) + (i % 7);
        s.gForce = 0.3 + 0.25 * std::sin(i / 13.0);
        s.gText = "G:" + std::to_string(s.gForce).substr(0, 4);
        s.dateTime = "2025/06/14 08:0" + std::to_string(i / 600) + ":" + std::to_string(10 + (i / 10) % 50);
        t->maxSpeed = std::max(t->maxSpeed, s.speedKmh);
        t->maxG = std::max(t->maxG, s.gForce);
    }
    return t;
}

double MedianMs(int runs, const std::function<void(int)>& body)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int r = 0; r < runs; ++r) {
        timer.start();
        body(r);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto track = MakeTrack();
    std::vector<std::string> lines(900, std::string(80, 'x'));
    const std::int64_t duration = 900LL * 1001000;  // 90 s: a one-minute chart, cut at its edge

    const double compute = MedianMs(200, [&](int) { (void)ComputeChart(*track, duration, 1000, 200, 100); });
    const ChartDrawing d = ComputeChart(*track, duration, 1000, 200, 100);
    QImage image(1000, 200, QImage::Format_RGB32);
    const double paint = MedianMs(200, [&](int) { PaintChart(d, image); });

    QWidget window;
    window.resize(1400, 260);
    QWidget* plCurve = new QWidget(&window);
    plCurve->setGeometry(0, 0, 1400, 260);
    TelemetryDisplay display(plCurve, 1.0, 100);
    QLabel plTime(&window);
    display.SetTimePanel(&plTime);
    window.show();
    display.Layout();
    ChartStrip& chart = display.Chart();
    chart.plImage->setGeometry(45, 20, 1000, 200);
    const double draw = MedianMs(100, [&](int) { chart.DrawChart(track.get(), duration); });

    TelemetrySource source{track.get(), &lines, 900, true};
    const double tick = MedianMs(2000, [&](int r) {
        display.ShowTelemetryAt(source, r % 900, true, true);
    });
    const double tickPainted = MedianMs(300, [&](int r) {
        display.ShowTelemetryAt(source, (r * 7) % 900, true, true);
        QApplication::processEvents();
    });

    std::printf("chart: 900 samples into 1000 x 200 (median)\n");
    std::printf("  ComputeChart (lines and labels)      %8.3f ms\n", compute);
    std::printf("  PaintChart (QPainter onto QImage)    %8.3f ms\n", paint);
    std::printf("  DrawChart (strip: both and captions) %8.3f ms   goal < 5 ms\n", draw);
    std::printf("read-outs: one ShowTelemetryAt tick (median)\n");
    std::printf("  ShowTelemetryAt                      %8.4f ms   goal < 0.2 ms\n", tick);
    std::printf("  ShowTelemetryAt + repaint of the window %5.3f ms\n", tickPainted);
    return 0;
}
