#pragma once
#include <QString>

namespace korvane::bench {

// Plays the first moment of `folder` into the next one and prints how long each panel kept one
// picture around the switch. 0 when measured.
int MeasureSeam(const QString& folder);

} // namespace korvane::bench
