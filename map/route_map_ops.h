#pragma once
// What the route drawing asks of a route map: the marker collection, the line collection and
// the view. The counts answer at once from the component's own record; the page follows.
#include <QColor>
#include <QString>

namespace korvane {

// Used wherever a position is missing.
constexpr double DefaultLatitude = 39.422;
constexpr double DefaultLongitude = 139.4254;

class RouteMapOps {
public:
    virtual ~RouteMapOps() = default;

    virtual int MarkerCount() const = 0;
    virtual void ClearMarkers() = 0;
    virtual void AddMarker(double lat, double lon, const QString& title) = 0;

    virtual int LineCount() const = 0;
    virtual void ClearLines() = 0;
    // Adds an empty line and returns its index.
    virtual int AddLine(const QColor& colour, int weight) = 0;
    virtual void AddPoint(int line, double lat, double lon) = 0;

    virtual void SetCenter(double lat, double lon) = 0;
    virtual void SetZoom(int zoom) = 0;
    // One marker move: marker 0 to the position and the map centred on it; with
    // switchAutoUpdate the marker collection's automatic update is switched on first.
    virtual void MoveMarker(double lat, double lon, bool switchAutoUpdate) = 0;
};

} // namespace korvane
