// The chart's geometry and lines; see chart_model.h. Pixel coordinates are computed as reals and
// truncated toward zero where they are used.
#include "telemetry_view/chart_model.h"

#include <algorithm>
#include <cmath>
#include <climits>

namespace korvane {
namespace {

// The viewer counts 10 010 000 units of 100 ns per second of playback.
constexpr double kUnitsPerSecond = 10010000.0;
constexpr double kCappedSpeed = 180.0;   // speeds above it are drawn at it
constexpr double kGlitchSpeed = 500.0;   // speeds from here on are not drawn

struct SpeedAxis {
    double below;  // maxSpeed below this picks the row
    double fullScale;
    std::array<const char*, 5> captions;
};

constexpr SpeedAxis kSpeedAxes[] = {
    {40, 40, {" 0", "10", "20", "30", "40 Km/h"}},
    {80, 80, {" 0", "20", "40", "60", "80 Km/h"}},
    {120, 120, {" 0", "30", "60", "90", "120 Km/h"}},
    {160, 160, {" 0", "40", "80", "120", "160 Km/h"}},
    {INFINITY, 180, {" 0", "45", "90", "135", "180 Km/h"}},
};

// The same in miles per hour: round steps, the last row above the capped 180 km/h (111.8 mph).
constexpr SpeedAxis kMphAxes[] = {
    {20, 20, {" 0", "5", "10", "15", "20 mph"}},
    {40, 40, {" 0", "10", "20", "30", "40 mph"}},
    {60, 60, {" 0", "15", "30", "45", "60 mph"}},
    {80, 80, {" 0", "20", "40", "60", "80 mph"}},
    {100, 100, {" 0", "25", "50", "75", "100 mph"}},
    {INFINITY, 120, {" 0", "30", "60", "90", "120 mph"}},
};

constexpr std::array<const char*, 5> kFineG = {" 0.1", " 0.2", " 0.3", " 0.4", " 0.5G"};
constexpr std::array<const char*, 5> kCoarseG = {"0.00", "0.25", "0.50", "0.75", "1.00G"};

// Truncated toward zero; a value outside int (or not a number) is held at the nearest end, so
// a value the card gave can never make the conversion undefined.
int Trunc(double v)
{
    if (!(v == v))
        return 0;
    return static_cast<int>(std::clamp(v, double(INT_MIN), double(INT_MAX)));
}

// The row of the speed axis for a maximum speed (in the axis's unit); the last row when none
// takes it.
template <std::size_t N>
const SpeedAxis& AxisFor(const SpeedAxis (&axes)[N], double maxSpeed)
{
    const auto* axis = std::find_if(std::begin(axes), std::end(axes),
                                    [&](const SpeedAxis& a) { return maxSpeed < a.below; });
    return axis != std::end(axes) ? *axis : axes[N - 1];
}

// Clock part of a "YYYY/MM/DD hh:mm:ss" text: from its eleventh character on.
QString ClockPart(const std::string& dateTime)
{
    return dateTime.size() > 10 ? QString::fromStdString(dateTime.substr(10)) : QString();
}

class Plot {
public:
    Plot(const ChartDrawing& d) : d_(d) {}
    int X(double index) const { return Trunc(d_.width * index / d_.chartSamples); }
    // v in km/h; the axis may be in miles per hour.
    int YSpeed(double v) const { return Trunc(d_.height - SpeedInUnit(v, d_.mph) * d_.height / d_.fullScale); }
    int YG(double g) const { return Trunc(d_.height * (1.0 - (g - d_.gMin) / d_.gSpan)); }

private:
    const ChartDrawing& d_;
};

// A pen moving over the canvas: lines start where the last one ended.
class Pen {
public:
    explicit Pen(std::vector<ChartSegment>& out) : out_(out) {}
    void MoveTo(QPoint p) { at_ = p; }
    void LineTo(ChartPen pen, QPoint p)
    {
        out_.push_back({pen, at_, p});
        at_ = p;
    }

private:
    std::vector<ChartSegment>& out_;
    QPoint at_;
};

void DrawSpeed(const TelemetryTrack& track, int n, const Plot& plot, ChartDrawing& d)
{
    Pen pen(d.speed);
    const auto& s = track.samples;
    const double v0 = s[0].speedKmh;
    double previous = 0;
    if (v0 >= kGlitchSpeed) {
        pen.MoveTo({0, d.height});
    } else {
        previous = std::min(v0, kCappedSpeed);
        pen.MoveTo({0, plot.YSpeed(previous)});
    }
    int previousIndex = 0;
    bool previousFix = s[0].fixValid;
    for (int i = 1; i <= n - 2; ++i) {
        const double v = s[i].speedKmh;
        const double c = std::min(v, kCappedSpeed);
        const bool fix = s[i].fixValid;
        if (v == NoSpeed || v >= kGlitchSpeed) {
            // a missing speed or a glitch draws nothing
        } else if (!fix) {
            pen.LineTo(ChartPen::SpeedNoFix, {plot.X(i), plot.YSpeed(previous)});
        } else if (!previousFix) {
            pen.LineTo(ChartPen::SpeedNoFix, {plot.X(i), plot.YSpeed(previous > kGlitchSpeed ? 0 : previous)});
            pen.LineTo(ChartPen::SpeedNoFix, {plot.X(i), plot.YSpeed(c)});
        } else if (!s[i + 1].fixValid || c != previous) {
            pen.LineTo(ChartPen::SpeedFix, {plot.X(i), plot.YSpeed(c)});
        }
        // Otherwise a run of equal values: a later point closes it.
        if (v != NoSpeed) {
            previous = v;
            previousIndex = i;
        }
        previousFix = fix;
    }
    const int last = n < 3 ? 1 : n - 1;
    const ChartPen lastPen = previousFix ? ChartPen::SpeedFix : ChartPen::SpeedNoFix;
    const double vLast = s[last].speedKmh;
    // A glitch at the end is not drawn either: it ends like a missing speed.
    if (vLast < kGlitchSpeed) {
        pen.LineTo(lastPen, {plot.X(last), plot.YSpeed(vLast)});
    } else {
        pen.LineTo(lastPen, {plot.X(previousIndex), d.height - 1});
        pen.LineTo(lastPen, {plot.X(last), d.height - 1});
    }
}

void DrawG(const TelemetryTrack& track, int n, const Plot& plot, ChartDrawing& d)
{
    Pen pen(d.gLine);
    const auto& s = track.samples;
    pen.MoveTo({0, plot.YG(s[0].gForce)});
    const int group = d.columns >= 5 ? 10 : 4;
    double largest = 0;
    int largestIndex = 0;
    for (int k = 1; k <= n - 1; ++k) {
        if (s[k].gForce > largest) {
            largest = s[k].gForce;
            largestIndex = k;
        }
        if (k % group == 0) {
            pen.LineTo(ChartPen::GForce, {plot.X(largestIndex + 2), plot.YG(largest)});
            largest = 0;
        }
    }
    const int last = std::max(n - 1, 0);
    pen.LineTo(ChartPen::GForce, {plot.X(last), plot.YG(s[last].gForce)});
}

} // namespace

int UsableSamples(const TelemetryTrack& track)
{
    return std::clamp<int>(track.sampleCount, 0, static_cast<int>(TrackCapacity));
}

int ChartSeconds(std::int64_t duration100ns)
{
    const double exact = static_cast<double>(duration100ns) / kUnitsPerSecond;
    const double up = std::ceil(exact);
    if (!(up > 0) || up > 60)
        return 60;
    return static_cast<int>(up);
}

int ChartColumns(int seconds) { return (seconds + 9) / 10; }

void PlaceMarkers(ChartDrawing& d, const std::vector<TelemetryEvent>& events)
{
    d.markers.clear();
    if (d.chartSamples <= 0)
        return;
    const Plot plot(d);
    for (const TelemetryEvent& e : events)
        d.markers.push_back({e, plot.X(e.sample)});
}

const ChartMarker* MarkerAt(const ChartDrawing& d, int x)
{
    const ChartMarker* best = nullptr;
    for (const ChartMarker& m : d.markers)
        if (std::abs(m.x - x) <= kMarkerHalfWidth && (!best || std::abs(m.x - x) < std::abs(best->x - x)))
            best = &m;
    return best;
}

ChartDrawing ComputeChart(const TelemetryTrack& track, std::int64_t duration100ns, int width, int height,
                          int scalePercent, bool mph)
{
    ChartDrawing d;
    d.mph = mph;
    d.width = width;
    d.height = height;
    d.seconds = ChartSeconds(duration100ns);
    d.columns = ChartColumns(d.seconds);
    d.chartSamples = 100 * d.columns;

    const int n = UsableSamples(track);
    const SpeedAxis* axis = mph ? &kMphAxes[std::size(kMphAxes) - 1] : &kSpeedAxes[std::size(kSpeedAxes) - 1];
    if (n > 0)
        axis = mph ? &AxisFor(kMphAxes, KmhToMph(track.maxSpeed)) : &AxisFor(kSpeedAxes, track.maxSpeed);
    d.fullScale = axis->fullScale;
    const bool fineG = track.maxG <= 0.5;
    d.gMin = fineG ? 0.1 : 0.0;
    d.gSpan = fineG ? 0.4 : 1.0;
    for (int i = 0; i < 5; ++i) {
        d.speedCaptions[i] = QString::fromLatin1(axis->captions[i]);
        d.gCaptions[i] = QString::fromLatin1(fineG ? kFineG[i] : kCoarseG[i]);
    }

    const double rowStep = height / 4.0;
    const double columnStep = static_cast<double>(width) / d.columns;
    d.cursorHeight = height;
    d.cursorWidth = (scalePercent == 140 || scalePercent == 150 || scalePercent == 160 || scalePercent == 175) ? 2 : 1;

    for (int r = 1; r <= 3; ++r)
        d.grid.push_back({ChartPen::Grid, {0, Trunc(rowStep * r)}, {width, Trunc(rowStep * r)}});
    for (int k = 1; k <= d.columns - 1; ++k)
        d.grid.push_back({ChartPen::GridDotted, {Trunc(columnStep * k), 0}, {Trunc(columnStep * k), height}});

    for (int k = 1; k <= d.columns; ++k) {
        const QString caption = k < d.columns ? QString::number(10 * k) : QStringLiteral("%1s").arg(10 * k);
        d.timeLabels.push_back({caption, columnStep * k});
    }

    if (n == 0)
        return d;
    d.hasSamples = true;
    const Plot plot(d);
    DrawSpeed(track, n, plot, d);
    DrawG(track, n, plot, d);
    d.startTime = ClockPart(track.samples[0].dateTime);
    d.endTime = ClockPart(track.samples[n - 1].dateTime);
    return d;
}

int CursorLeft(int index, int plotWidth, int chartSamples, int cursorWidth)
{
    if (chartSamples <= 0)
        return 0;
    const double x = static_cast<double>(index) * plotWidth / chartSamples;
    const double half = cursorWidth / 2.0;
    return Trunc(index <= 9 ? x - half : x + half + 2);
}

int GLabelLeft(int index, int cursorLeft, std::size_t lineCount, int labelWidth)
{
    if (index < 0.85 * static_cast<double>(lineCount))
        return cursorLeft + 10;
    return cursorLeft - 5 - labelWidth;
}

} // namespace korvane
