#include "export/range_telemetry.h"

#include "export/export_log.h"
#include "export/gpx_point.h"
#include "export/movie_box.h"
#include "export/telemetry_text.h"
#include "mp4parse/binary_stream.h"
#include "mp4parse/load_telemetry.h"
#include "mp4parse/nmea_sidecar.h"
#include "mp4parse/telemetry_events.h"
#include "mp4parse/text_fields.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace korvane {

namespace {

int Granularity(DataType type)
{
    return type == DataTypeGps || type == DataTypeDollar ? int(GValueCount) : 1;
}

} // namespace

RangeTelemetry CutTelemetry(std::vector<ClipPiece>& pieces)
{
    RangeTelemetry out;
    for (size_t pi = 0; pi < pieces.size(); ++pi) {
        ClipPiece& piece = pieces[pi];
        RangeTelemetryPart part;
        part.name = std::filesystem::path(piece.path).filename().string();
        Mp4Parser parser;
        std::vector<std::string> lines;
        auto track = std::make_unique<TelemetryTrack>();
        bool gpsSeen = false;
        try {
            part.type = LoadTelemetry(piece.path, FindOtherSidecar(piece.path), parser, lines, *track, gpsSeen);
        } catch (const MP4::BinaryStreamException&) {
            qCWarning(lcExport) << piece.path.c_str() << "telemetry cannot be read";
            part.type = DataTypeNone;
        } catch (const TelemetryConversionError&) {
            qCWarning(lcExport) << piece.path.c_str() << "telemetry holds a G pair that is not hexadecimal";
        }
        SampleSpan(piece.shownFromUs, piece.shownToUs, Granularity(part.type), piece.firstSample, piece.endSample);
        const int filled = int(FilledSamples(part.type, lines.size(), *track));
        const int from = std::min(piece.firstSample, filled);
        const int to = std::clamp(piece.endSample, from, filled);
        part.samples.assign(track->samples.begin() + from, track->samples.begin() + to);
        if (part.type != DataTypeFixes && size_t(to) <= lines.size())
            part.lines.assign(lines.begin() + from, lines.begin() + to);
        if (pi == 0) {
            out.type = part.type;
            out.inTextTrack = part.type == DataTypeSubtitle;
            const std::string comment = ReadCameraComment(piece.path);
            if (part.type == DataTypeSubtitle)
                out.comment = comment;  // the camera's marker, as the recording has it
            else if (part.type == DataTypeGps && comment.size() >= 8 && comment.compare(0, 3, "GPS") == 0)
                out.comment = comment.substr(0, 8);  // the block's header
        }
        // A comment block holds each second's line once.
        if ((out.type == DataTypeDollar || (out.type == DataTypeGps && !out.comment.empty())) && part.type == out.type) {
            for (size_t i = 0; i < part.lines.size(); i += GValueCount)
                out.comment += part.lines[i] + "\n";
        }
        out.parts.push_back(std::move(part));
    }
    if (out.type == DataTypeDollar && out.comment.size() < 10)
        out.comment.clear();
    if (out.type == DataTypeGps && out.comment.size() < 18)
        out.comment.clear();  // no block (a side-car), or nothing in it
    return out;
}

std::string RangeCsv(const RangeTelemetry& t)
{
    size_t rows = 0, valid = 0, speeds = 0, lineCount = 0;
    double maxSpeed = 0, maxG = 0;
    bool oneForm = true;
    std::vector<std::string> allLines;
    for (const RangeTelemetryPart& p : t.parts) {
        oneForm = oneForm && p.type == t.type;
        allLines.insert(allLines.end(), p.lines.begin(), p.lines.end());
        for (const TelemetrySample& s : p.samples) {
            ++rows;
            valid += s.fixValid ? 1 : 0;
            if (s.speedKmh != NoSpeed) {
                ++speeds;
                maxSpeed = std::max(maxSpeed, s.speedKmh);
            }
            maxG = std::max(maxG, s.gForce);
        }
    }
    lineCount = rows;
    // The summary as `korvane-cli telemetry` gives it for the clip: the range's lines decoded as
    // one recording (the counts of the "$" form are per line, not per sample).
    if (oneForm && (t.type == DataTypeSubtitle || t.type == DataTypeDollar || t.type == DataTypeGps) &&
        !allLines.empty() && allLines.size() <= TrackCapacity) {
        auto track = std::make_unique<TelemetryTrack>();
        bool gpsSeen = false;
        try {
            DecodeByType(t.type, allLines, *track, gpsSeen);
            valid = size_t(track->validCount);
            speeds = size_t(track->speedCount);
            maxSpeed = track->maxSpeed;
            maxG = track->maxG;
            lineCount = allLines.size();
        } catch (const TelemetryConversionError&) {
        }
    }
    std::string out = "# data_type=" + std::to_string(int(t.type)) + " lines=" + std::to_string(lineCount) +
                      " samples=" + std::to_string(lineCount) + " valid=" + std::to_string(valid) +
                      " speeds=" + std::to_string(speeds) + " max_speed=" + fields::FormatFixed(maxSpeed, 4) +
                      " max_g=" + fields::FormatFixed(maxG, 4) + "\n";
    out += TelemetryCsvColumns(false);
    size_t index = 0;
    for (const RangeTelemetryPart& p : t.parts)
        for (const TelemetrySample& s : p.samples)
            out += TelemetryCsvRow(index++, s, false);
    return out;
}

std::string RangeGpx(const RangeTelemetry& t)
{
    std::string out = GpxDocumentStart();
    for (const RangeTelemetryPart& p : t.parts)
        out += GpxTrack(p.name, p.samples.data(), p.samples.size(), p.lines, p.type);
    return out + GpxDocumentEnd();
}

bool ClockMinusGpsUtc(const RangeTelemetry& t, std::int64_t& seconds)
{
    for (const RangeTelemetryPart& p : t.parts) {
        for (size_t i = 0; i < p.samples.size() && i < p.lines.size(); ++i) {
            std::int64_t utc = 0, clock = 0;
            int tenths = -1;
            if (RmcUtc(p.lines[i], utc, tenths) && CameraClockSeconds(p.samples[i].dateTime, clock)) {
                seconds = clock - utc;
                return true;
            }
        }
    }
    return false;
}

bool FirstClockTime(const RangeTelemetry& t, std::string& dateTime, std::int64_t& atUs)
{
    std::int64_t at = 0;
    for (const RangeTelemetryPart& p : t.parts) {
        for (const TelemetrySample& s : p.samples) {
            std::int64_t secs = 0;
            if (CameraClockSeconds(s.dateTime, secs)) {
                dateTime = s.dateTime;
                atUs = at;
                return true;
            }
            at += 100000;
        }
    }
    return false;
}

} // namespace korvane
