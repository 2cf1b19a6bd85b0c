#pragma once
// Small real recordings for the library tests: one short MP4 made once with ffmpeg and copied
// under recording names.
#include <QString>
#include <QStringList>
#include <functional>

namespace korvane::test {

// Path of a one-second 160x120 H.264 MP4 (made on first use, kept for the test run).
QString SmallMp4();
// Copies the small MP4 into `folder` under each name. Returns false on any failure.
bool CopyRecordings(const QString& folder, const QStringList& names);
// "20230101" + six time digits from `index` seconds after 12:00:00, with `prefix`.
QString StampName(int index, const QString& prefix = QString());
// Runs the event loop until `done` returns true or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

} // namespace korvane::test
