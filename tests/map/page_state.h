#pragma once
// Asks a map page for its state and waits (the event loop running) up to `timeoutMs` for the
// answer; an empty map when none came. Shared by the map tests and the map benchmark.
#include <QTest>
#include <QVariantMap>
#include <memory>

#include "map/leaflet_map.h"

namespace korvane {

inline QVariantMap PageState(LeafletMap* map, int timeoutMs = 5000)
{
    // The answer may come after the wait has given up: it then lands in the shared record,
    // never in a finished caller's frame.
    struct Answer {
        QVariantMap state;
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    map->QueryState([answer](const QVariantMap& s) {
        answer->state = s;
        answer->done = true;
    });
    (void)QTest::qWaitFor([&] { return answer->done; }, timeoutMs);
    return answer->state;
}

} // namespace korvane
