#include "player/frame_timing.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <map>

namespace korvane {
namespace {

constexpr int kMaxTopBoxes = 10000;
constexpr std::int64_t kMaxMovieBytes = 64LL << 20;   // a camera's moov is a few hundred KB
constexpr int kMaxChildren = 4096;

std::uint32_t Be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[0]) << 24) | (std::uint32_t(u[1]) << 16) | (std::uint32_t(u[2]) << 8) | u[3];
}

std::uint64_t Be64(const char* p) { return (std::uint64_t(Be32(p)) << 32) | Be32(p + 4); }

struct Box {
    const char* payload = nullptr;
    std::int64_t size = 0;   // payload bytes
    char type[4] = {};
    bool Is(const char* t) const { return std::equal(type, type + 4, t); }
};

// Calls `visit` for each child box in [data, data + size); stops at the first box whose header
// or size does not fit.
template <typename Visit>
void ForEachBox(const char* data, std::int64_t size, Visit visit)
{
    std::int64_t at = 0;
    for (int n = 0; n < kMaxChildren && size - at >= 8; ++n) {
        std::uint64_t boxSize = Be32(data + at);
        std::int64_t header = 8;
        if (boxSize == 1) {
            if (size - at < 16)
                return;
            boxSize = Be64(data + at + 8);
            header = 16;
        } else if (boxSize == 0) {
            boxSize = static_cast<std::uint64_t>(size - at);
        }
        if (boxSize < static_cast<std::uint64_t>(header) || boxSize > static_cast<std::uint64_t>(size - at))
            return;
        Box box;
        std::copy(data + at + 4, data + at + 8, box.type);
        box.payload = data + at + header;
        box.size = static_cast<std::int64_t>(boxSize) - header;
        if (!visit(box))
            return;
        at += static_cast<std::int64_t>(boxSize);
    }
}

std::optional<Box> Child(const Box& parent, const char* type)
{
    std::optional<Box> found;
    ForEachBox(parent.payload, parent.size, [&](const Box& b) {
        if (b.Is(type))
            found = b;
        return !found;
    });
    return found;
}

// The time scale of a "mdhd" payload (version 0 or 1).
std::uint32_t TimeScale(const Box& mdhd)
{
    if (mdhd.size < 4)
        return 0;
    const bool v1 = mdhd.payload[0] == 1;
    const std::int64_t at = v1 ? 4 + 16 : 4 + 8;
    return mdhd.size >= at + 4 ? Be32(mdhd.payload + at) : 0;
}

bool IsVideoHandler(const Box& hdlr) { return hdlr.size >= 12 && std::equal(hdlr.payload + 8, hdlr.payload + 12, "vide"); }

// The sample duration that covers the most samples of an "stts" payload.
std::uint32_t UsualDelta(const Box& stts)
{
    if (stts.size < 8)
        return 0;
    const std::uint64_t entries = Be32(stts.payload + 4);
    if (entries == 0 || entries > static_cast<std::uint64_t>((stts.size - 8) / 8))
        return 0;
    std::map<std::uint32_t, std::uint64_t> counts;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const char* e = stts.payload + 8 + i * 8;
        if (const std::uint32_t delta = Be32(e + 4); delta > 0)
            counts[delta] += Be32(e);
    }
    std::uint32_t best = 0;
    std::uint64_t bestCount = 0;
    for (const auto& [delta, count] : counts)
        if (count > bestCount) {
            best = delta;
            bestCount = count;
        }
    return best;
}

std::optional<double> TrackFrameDuration(const Box& trak)
{
    const auto mdia = Child(trak, "mdia");
    if (!mdia)
        return std::nullopt;
    const auto hdlr = Child(*mdia, "hdlr");
    const auto mdhd = Child(*mdia, "mdhd");
    if (!hdlr || !mdhd || !IsVideoHandler(*hdlr))
        return std::nullopt;
    const std::uint32_t scale = TimeScale(*mdhd);
    const auto minf = Child(*mdia, "minf");
    const auto stbl = minf ? Child(*minf, "stbl") : std::nullopt;
    const auto stts = stbl ? Child(*stbl, "stts") : std::nullopt;
    const std::uint32_t delta = stts ? UsualDelta(*stts) : 0;
    if (scale == 0 || delta == 0)
        return std::nullopt;
    const double frame = static_cast<double>(delta) * 1e7 / scale;
    // Anything outside 1000 frames a second .. one frame a minute is not a video's frame rate.
    if (frame < 1e4 || frame > 6e8)
        return std::nullopt;
    return frame;
}

} // namespace

std::optional<double> FrameDurationInMovie(const char* data, std::int64_t size)
{
    std::optional<double> frame;
    ForEachBox(data, size, [&](const Box& b) {
        if (b.Is("trak"))
            frame = TrackFrameDuration(b);
        return !frame;
    });
    return frame;
}

std::optional<double> ReadFrameDuration(const QString& mp4Path)
{
    QFile file(mp4Path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::int64_t fileSize = file.size();
    std::int64_t at = 0;
    for (int n = 0; n < kMaxTopBoxes && fileSize - at >= 8; ++n) {
        char header[16];
        if (!file.seek(at) || file.read(header, 8) != 8)
            return std::nullopt;
        std::uint64_t boxSize = Be32(header);
        std::int64_t headerSize = 8;
        if (boxSize == 1) {
            if (file.read(header + 8, 8) != 8)
                return std::nullopt;
            boxSize = Be64(header + 8);
            headerSize = 16;
        } else if (boxSize == 0) {
            boxSize = static_cast<std::uint64_t>(fileSize - at);
        }
        if (boxSize < static_cast<std::uint64_t>(headerSize) || boxSize > static_cast<std::uint64_t>(fileSize - at))
            return std::nullopt;
        const std::int64_t payload = static_cast<std::int64_t>(boxSize) - headerSize;
        if (std::equal(header + 4, header + 8, "moov")) {
            if (payload > kMaxMovieBytes)
                return std::nullopt;
            const QByteArray movie = file.read(payload);
            if (movie.size() != payload)
                return std::nullopt;
            return FrameDurationInMovie(movie.constData(), movie.size());
        }
        at += static_cast<std::int64_t>(boxSize);
    }
    return std::nullopt;
}

std::int64_t FrameIndexAt(std::int64_t position100ns, double frame100ns)
{
    if (frame100ns <= 0 || position100ns <= 0)
        return 0;
    return static_cast<std::int64_t>(std::floor((static_cast<double>(position100ns) + 1.0) / frame100ns));
}

std::int64_t FrameStart(std::int64_t index, double frame100ns)
{
    return index <= 0 ? 0 : static_cast<std::int64_t>(std::ceil(static_cast<double>(index) * frame100ns - 1e-6));
}

std::int64_t LastFrameIndex(std::int64_t duration100ns, double frame100ns)
{
    if (frame100ns <= 0 || duration100ns <= 0)
        return 0;
    const auto last = static_cast<std::int64_t>(std::ceil(static_cast<double>(duration100ns) / frame100ns)) - 1;
    return last < 0 ? 0 : last;
}

std::int64_t StepTarget(std::int64_t position100ns, int direction, double frame100ns, std::int64_t duration100ns)
{
    std::int64_t index = FrameIndexAt(position100ns, frame100ns) + direction;
    const std::int64_t last = LastFrameIndex(duration100ns, frame100ns);
    if (index > last)
        index = last;
    if (index < 0)
        index = 0;
    return FrameStart(index, frame100ns);
}

} // namespace korvane
