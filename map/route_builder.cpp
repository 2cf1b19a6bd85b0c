#include "map/route_builder.h"

#include <algorithm>
#include <cstdlib>

namespace korvane {
namespace {

const QColor kRouteRed(255, 0, 0);
constexpr int kRouteWeight = 3;
constexpr int kScanFromStartBelow = 100;   // a first fix this early: scan from sample 0


void AddAutoMarker(RouteMapOps& map, const TelemetryTrack& track)
{
    const TelemetrySample& s = track.samples[0];
    if (HasPosition(s))
        map.AddMarker(s.latitude, s.longitude, QStringLiteral("Auto"));
    else
        map.AddMarker(DefaultLatitude, DefaultLongitude, QStringLiteral("Auto"));
}

// Steps 4 and 5 shared by both forms: continue the current line or start a new one.
void ChooseLine(RouteMapOps& map, RouteState& state, const QString& mp4Path)
{
    const bool continued = IsNextMinuteRecording(mp4Path, state.previousRouteFile);
    state.previousRouteFile = mp4Path;
    if (map.LineCount() == 0 || !continued || state.currentLine < 0 || state.currentLine >= map.LineCount())
        state.currentLine = map.AddLine(kRouteRed, kRouteWeight);
}

int TwoDigits(const QString& path, int fromEnd)
{
    const QChar tens = path.at(path.size() - fromEnd);
    const QChar ones = path.at(path.size() - fromEnd + 1);
    if (!tens.isDigit() || !ones.isDigit())
        return -100;   // never one minute from anything
    return tens.digitValue() * 10 + ones.digitValue();
}

} // namespace

bool HasPosition(const TelemetrySample& s)
{
    return PositionInRange(s.latitude, s.longitude) && s.latitude != 0 && s.longitude != 0;
}

int ScannableSamples(const TelemetryTrack& track)
{
    return std::clamp<int>(track.sampleCount, 0, static_cast<int>(TrackCapacity));
}

bool IsNextMinuteRecording(const QString& current, const QString& previous)
{
    if (current.size() < 18 || previous.size() < 18)
        return false;
    const int curSec = TwoDigits(current, 6);
    const int prevSec = TwoDigits(previous, 6);
    if (curSec != prevSec) {
        const int d = std::abs(curSec - prevSec);
        if (d != 1 && d != 59)
            return false;
    }
    const int curMin = TwoDigits(current, 8);
    const int prevMin = TwoDigits(previous, 8);
    if (curMin < 0 || prevMin < 0)
        return false;
    return curMin == prevMin + 1 || (prevMin == 59 && curMin == 0);
}

bool BuildRouteForTextTrack(RouteMapOps& map, RouteState& state, const TelemetryTrack& track,
                            const QString& mp4Path, bool clearFirst, TelemetrySample& currentSample)
{
    const int n = ScannableSamples(track);
    if (map.MarkerCount() == 0)
        AddAutoMarker(map, track);
    state.firstFixIndex = -1;
    for (int i = 0; i < n; ++i) {
        if (track.samples[i].fixValid && PositionInRange(track.samples[i].latitude, track.samples[i].longitude)) {
            state.firstFixIndex = i;
            break;
        }
    }
    if (state.firstFixIndex < 0) {
        state.previousRouteFile = mp4Path;
        return false;
    }
    if (clearFirst)
        map.ClearLines();
    ChooseLine(map, state, mp4Path);
    const int start = state.firstFixIndex < kScanFromStartBelow ? 0 : state.firstFixIndex;
    bool first = true;
    int last = start;
    for (int i = start; i < n; ++i) {
        const TelemetrySample& s = track.samples[i];
        last = i;
        if (s.speedKmh == NoSpeed)
            continue;
        if (first) {
            state.firstFixIndex = i;
            first = false;
        }
        if (HasPosition(s)) {
            map.AddPoint(state.currentLine, s.latitude, s.longitude);
            currentSample = s;
        }
    }
    currentSample = track.samples[last];
    return true;
}

bool BuildRouteForBlocks(RouteMapOps& map, RouteState& state, const TelemetryTrack& track,
                         const QString& mp4Path, bool clearFirst, TelemetrySample& currentSample)
{
    const int n = ScannableSamples(track);
    map.ClearMarkers();
    AddAutoMarker(map, track);
    state.firstFixIndex = -1;
    for (int i = 0; i < n; ++i) {
        if (track.samples[i].fixValid && HasPosition(track.samples[i])) {
            state.firstFixIndex = i;
            break;
        }
    }
    if (clearFirst)
        map.ClearLines();
    if (state.firstFixIndex < 0) {
        state.previousRouteFile = mp4Path;
        if (map.LineCount() == 0 || state.currentLine < 0 || state.currentLine >= map.LineCount())
            state.currentLine = map.AddLine(kRouteRed, kRouteWeight);
        const TelemetrySample& s = track.samples[0];
        if (HasPosition(s))
            map.AddPoint(state.currentLine, s.latitude, s.longitude);
        else
            map.AddPoint(state.currentLine, DefaultLatitude, DefaultLongitude);
        state.firstFixIndex = 0;
        return true;
    }
    ChooseLine(map, state, mp4Path);
    const int start = state.firstFixIndex < kScanFromStartBelow ? 0 : state.firstFixIndex;
    state.firstFixIndex = start;
    // Another camera's fixes lose their position in a tunnel or a car park: the line goes on
    // from the next fix instead of running to the default location and back.
    const bool skipMissing = track.dataType == DataTypeFixes;
    for (int i = start; i < n; ++i) {
        const TelemetrySample& s = track.samples[i];
        if (HasPosition(s))
            map.AddPoint(state.currentLine, s.latitude, s.longitude);
        else if (!skipMissing)
            map.AddPoint(state.currentLine, DefaultLatitude, DefaultLongitude);
        currentSample = s;
    }
    currentSample = track.samples[std::max(n - 1, 0)];
    return true;
}

bool MoveRouteMarker(RouteMapOps& map, const TelemetryTrack& track, int i)
{
    if (i < 0 || i >= ScannableSamples(track))
        return false;
    const TelemetrySample& s = track.samples[i];
    if (!HasPosition(s) || !s.fixValid)
        return false;
    map.MoveMarker(s.latitude, s.longitude, true);
    return true;
}

bool CenterRouteMap(RouteMapOps& map, const RouteState& state, const TelemetryTrack& track, int i)
{
    const int n = ScannableSamples(track);
    if (i >= 0 && i < n && HasPosition(track.samples[i])) {
        map.MoveMarker(track.samples[i].latitude, track.samples[i].longitude, false);
        return true;
    }
    if (state.firstFixIndex >= 0 && state.firstFixIndex < n && HasPosition(track.samples[state.firstFixIndex])) {
        const TelemetrySample& s = track.samples[state.firstFixIndex];
        map.MoveMarker(s.latitude, s.longitude, false);
        return true;
    }
    return false;
}

} // namespace korvane
