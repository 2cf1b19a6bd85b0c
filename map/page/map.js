// The map operations the viewer calls through runJavaScript: building the map, the marker
// collection, the route lines and the view. Every function returns quickly and never fetches
// code; only the tiles come from the configured servers.
'use strict';

var korvane = (function () {
  var map = null;
  var markers = [];          // {lat, lon, title, layer}
  var markersAuto = false;   // position changes reach the map only while this is on
  var lines = [];            // {points: [[lat, lon]], layer}
  var layers = {};

  var osmAttribution = '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors';
  var topoAttribution = 'Map data: ' + osmAttribution +
      ', <a href="http://viewfinderpanoramas.org">SRTM</a> | Map style: &copy; ' +
      '<a href="https://opentopomap.org">OpenTopoMap</a> (<a href="https://creativecommons.org/licenses/by-sa/3.0/">CC-BY-SA</a>)';

  function addMarkerLayer(m) {
    m.layer = L.marker([m.lat, m.lon], {title: m.title, keyboard: false}).addTo(map);
  }

  // opts: center [lat, lon], zoom, mapType ("terrain" or "osm"), controls (bool),
  // terrainUrl, streetUrl, markers (initial marker count).
  function doMap(opts) {
    if (map) return true;
    map = L.map('map', {
      zoomControl: false, attributionControl: false, center: opts.center, zoom: opts.zoom,
      keyboard: false
    });
    layers.terrain = L.tileLayer(opts.terrainUrl, {attribution: topoAttribution, maxZoom: 17, subdomains: 'abc'});
    layers.osm = L.tileLayer(opts.streetUrl, {attribution: osmAttribution, maxZoom: 19, subdomains: 'abc'});
    (opts.mapType === 'osm' ? layers.osm : layers.terrain).addTo(map);
    // The tile providers ask for their attribution on every map; the prefix is plain text so
    // that a click never navigates the small browser away.
    L.control.attribution({prefix: 'Leaflet', position: 'bottomright'}).addTo(map);
    if (opts.controls) {
      L.control.layers({'Terrain': layers.terrain, 'OpenStreetMap': layers.osm}, null,
                       {position: 'topleft', collapsed: true}).addTo(map);
      L.control.zoom({position: 'bottomright'}).addTo(map);
    }
    for (var i = 0; i < (opts.markers || 0); i++) {
      var m = {lat: 0, lon: 0, title: 'TMarker'};
      markers.push(m);
      addMarkerLayer(m);
    }
    return true;
  }

  function setCenter(lat, lon) { if (map) map.panTo([lat, lon], {animate: false}); }
  function setZoom(z) { if (map) map.setZoom(z, {animate: false}); }
  function setView(lat, lon, z) { if (map) map.setView([lat, lon], z, {animate: false}); }

  function markersClear() {
    markers.forEach(function (m) { if (m.layer) map.removeLayer(m.layer); });
    markers = [];
  }
  function markersAdd(lat, lon, title) {
    var m = {lat: lat, lon: lon, title: title};
    markers.push(m);
    addMarkerLayer(m);
    return markers.length - 1;
  }
  function markersAutoUpdate(on) {
    markersAuto = !!on;
    if (markersAuto)
      markers.forEach(function (m) { m.layer.setLatLng([m.lat, m.lon]); });
  }
  function marker0Set(lat, lon) {
    if (!markers.length) return;
    markers[0].lat = lat;
    markers[0].lon = lon;
    if (markersAuto) markers[0].layer.setLatLng([lat, lon]);
  }
  // One marker move: marker 0's position and the map's centre.
  function follow(lat, lon, auto) {
    marker0Set(lat, lon);
    if (auto) markersAutoUpdate(true);
    setCenter(lat, lon);
  }

  function linesClear() {
    lines.forEach(function (l) { map.removeLayer(l.layer); });
    lines = [];
  }
  function linesAdd(color, weight) {
    var l = {points: [], layer: L.polyline([], {color: color, weight: weight, opacity: 1}).addTo(map)};
    lines.push(l);
    return lines.length - 1;
  }
  function lineAddPoints(index, points) {
    var l = lines[index];
    if (!l) return;
    for (var i = 0; i < points.length; i++) l.points.push(points[i]);
    l.layer.setLatLngs(l.points);
  }

  // What the viewer and its tests may ask of the page.
  function state() {
    var c = map ? map.getCenter() : {lat: 0, lng: 0};
    return {
      ready: !!map,
      lines: lines.length,
      points: lines.map(function (l) { return l.points.length; }),
      markers: markers.length,
      markerTitles: markers.map(function (m) { return m.title; }),
      marker0: markers.length ? [markers[0].lat, markers[0].lon] : null,
      marker0Shown: markers.length ? [markers[0].layer.getLatLng().lat, markers[0].layer.getLatLng().lng] : null,
      markersAuto: markersAuto,
      center: [c.lat, c.lng],
      zoom: map ? map.getZoom() : -1
    };
  }

  return {
    doMap: doMap, setCenter: setCenter, setZoom: setZoom, setView: setView,
    markersClear: markersClear, markersAdd: markersAdd, markersAutoUpdate: markersAutoUpdate,
    marker0Set: marker0Set, follow: follow,
    linesClear: linesClear, linesAdd: linesAdd, lineAddPoints: lineAddPoints, state: state
  };
})();
