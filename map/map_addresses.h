#pragma once
// Where the maps' tiles and the two check pages come from. The user may set them in
// <XDG config home>/Korvane/Korvane.conf, section [Maps]; the KORVANE_* environment variables
// override the file. The program only reads that file.
#include <QProcessEnvironment>
#include <QString>

namespace korvane {

struct MapAddresses {
    QString terrainTiles;      // URL template with {z}, {x}, {y} and optionally {s}
    QString streetTiles;
    QString connectivityUrl;   // a 2xx answer means online
    QString updateUrl;         // a 2xx answer means a newer version exists; empty: no check
};

// The public OpenTopoMap and OpenStreetMap tiles, the street server's root page, no update page.
MapAddresses DefaultMapAddresses();

// <XDG config home>/Korvane/Korvane.conf
QString MapSettingsPath();

// The defaults, then the file's [Maps] keys, then the environment. A tile template without
// {z}, {x} and {y}, or an address that is not http or https, is ignored with a warning.
MapAddresses LoadMapAddresses(const QString& settingsPath, const QProcessEnvironment& env);
MapAddresses LoadMapAddresses();

// The root page of a tile server named by a template ("https://host/").
QString TileServerRoot(const QString& tileTemplate);

} // namespace korvane
