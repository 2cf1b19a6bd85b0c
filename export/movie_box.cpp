#include "export/movie_box.h"

#include "export/export_log.h"

#include <QString>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace korvane {

namespace {

struct Box {
    std::string type;
    std::string payload;        // leaves only
    std::vector<Box> children;  // containers only
    bool container = false;
};

bool IsContainer(const std::string& t)
{
    return t == "moov" || t == "trak" || t == "mdia" || t == "minf" || t == "stbl" || t == "edts" || t == "dinf";
}

std::uint32_t Get32(const std::string& s, size_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void Put32(std::string& s, std::uint32_t v)
{
    s += char(v >> 24);
    s += char(v >> 16);
    s += char(v >> 8);
    s += char(v);
}

// The boxes in `bytes`; false when a size does not fit.
bool ParseBoxes(const std::string& bytes, std::vector<Box>& out)
{
    size_t at = 0;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = Get32(bytes, at);
        if (size < 8 || size > bytes.size() - at)
            return false;
        Box b;
        b.type = bytes.substr(at + 4, 4);
        b.container = IsContainer(b.type);
        const std::string payload = bytes.substr(at + 8, size - 8);
        if (b.container) {
            if (!ParseBoxes(payload, b.children))
                return false;
        } else {
            b.payload = payload;
        }
        out.push_back(std::move(b));
        at += size;
    }
    return at == bytes.size();
}

std::string Serialize(const Box& b)
{
    std::string body;
    if (b.container) {
        for (const Box& c : b.children)
            body += Serialize(c);
    } else {
        body = b.payload;
    }
    std::string out;
    Put32(out, std::uint32_t(body.size() + 8));
    out += b.type;
    out += body;
    return out;
}

Box* Child(Box& b, const char* type)
{
    for (Box& c : b.children)
        if (c.type == type)
            return &c;
    return nullptr;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Position and size of the top-level box `type` of `f`; false when there is none.
bool FindTopBox(std::FILE* f, const char* type, std::uint64_t& offset, std::uint64_t& size)
{
    std::uint64_t at = 0;
    for (int n = 0; n < 10000; ++n) {
        unsigned char h[16];
        if (std::fseek(f, long(at), SEEK_SET) != 0 || std::fread(h, 1, 8, f) != 8)
            return false;
        std::uint64_t s = (std::uint64_t(h[0]) << 24) | (h[1] << 16) | (h[2] << 8) | h[3];
        if (s == 1) {
            if (std::fread(h + 8, 1, 8, f) != 8)
                return false;
            s = 0;
            for (int i = 8; i < 16; ++i)
                s = (s << 8) | h[i];
        }
        if (s < 8)
            return false;
        if (std::memcmp(h + 4, type, 4) == 0) {
            offset = at;
            size = s;
            return true;
        }
        at += s;
    }
    return false;
}

// The first "@CMT" payload inside a user-data payload.
std::string CommentIn(const std::string& udta)
{
    std::vector<Box> boxes;
    ParseBoxes(udta, boxes);  // a cut list still yields the boxes before the cut
    for (const Box& b : boxes)
        if (b.type == "@CMT")
            return b.payload;
    return {};
}

std::string FindComment(const Box& b)
{
    for (const Box& c : b.children) {
        if (c.type == "udta") {
            if (std::string s = CommentIn(c.payload); !s.empty())
                return s;
        } else if (c.container) {
            if (std::string s = FindComment(c); !s.empty())
                return s;
        }
    }
    return {};
}

// The text track's tables rebuilt: one sample per chunk, every size listed, the first `keep`
// samples only. False when the tables are not readable.
bool RebuildTextTables(Box& stbl, int keep)
{
    Box* stts = Child(stbl, "stts");
    Box* stsc = Child(stbl, "stsc");
    Box* stsz = Child(stbl, "stsz");
    Box* stco = Child(stbl, "stco");
    if (!stts || !stsc || !stsz || !stco || stts->payload.size() < 16 || stsz->payload.size() < 12 ||
        stsc->payload.size() < 8 || stco->payload.size() < 8)
        return false;
    const std::uint32_t delta = Get32(stts->payload, 12);
    const std::uint32_t fixedSize = Get32(stsz->payload, 4);
    const std::uint32_t count = Get32(stsz->payload, 8);
    if (keep < 0 || std::uint32_t(keep) > count)
        return false;
    if (fixedSize == 0 && stsz->payload.size() < 12 + size_t(count) * 4)
        return false;
    std::vector<std::uint32_t> sizes(count);
    for (std::uint32_t i = 0; i < count; ++i)
        sizes[i] = fixedSize ? fixedSize : Get32(stsz->payload, 12 + size_t(i) * 4);
    const std::uint32_t chunks = Get32(stco->payload, 4);
    const std::uint32_t entries = Get32(stsc->payload, 4);
    if (stco->payload.size() < 8 + size_t(chunks) * 4 || stsc->payload.size() < 8 + size_t(entries) * 12 || entries == 0)
        return false;
    const std::uint32_t description = Get32(stsc->payload, 16);
    std::vector<std::uint32_t> offsets;
    std::uint32_t sample = 0;
    for (std::uint32_t c = 1; c <= chunks && sample < count; ++c) {
        std::uint32_t perChunk = 0;
        for (std::uint32_t e = 0; e < entries; ++e)
            if (Get32(stsc->payload, 8 + e * 12) <= c)
                perChunk = Get32(stsc->payload, 8 + e * 12 + 4);
        std::uint32_t at = Get32(stco->payload, 8 + (c - 1) * 4);
        for (std::uint32_t k = 0; k < perChunk && sample < count; ++k, ++sample) {
            offsets.push_back(at);
            at += sizes[sample];
        }
    }
    if (offsets.size() < size_t(keep))
        return false;
    const std::string head(4, '\0');  // version and flags
    stts->payload = head;
    Put32(stts->payload, 1);
    Put32(stts->payload, std::uint32_t(keep));
    Put32(stts->payload, delta);
    stsc->payload = head;
    Put32(stsc->payload, 1);
    Put32(stsc->payload, 1);
    Put32(stsc->payload, 1);
    Put32(stsc->payload, description);
    stsz->payload = head;
    Put32(stsz->payload, 0);
    Put32(stsz->payload, std::uint32_t(keep));
    for (int i = 0; i < keep; ++i)
        Put32(stsz->payload, sizes[size_t(i)]);
    stco->payload = head;
    Put32(stco->payload, std::uint32_t(keep));
    for (int i = 0; i < keep; ++i)
        Put32(stco->payload, offsets[size_t(i)]);
    return true;
}

ExportError Fail(ExportFailure kind, const std::string& path, const QString& why)
{
    ExportError e{kind, QString::fromStdString(path) + QStringLiteral(": ") + why};
    qCWarning(lcExport) << e.detail;
    return e;
}

} // namespace

std::string ReadCameraComment(const std::string& path)
{
    File f(std::fopen(path.c_str(), "rb"));
    std::uint64_t offset = 0, size = 0;
    if (!f || !FindTopBox(f.get(), "moov", offset, size) || size > kMaxMovieBox || size < 8)
        return {};
    std::string bytes(size, '\0');
    if (std::fseek(f.get(), long(offset), SEEK_SET) != 0 || std::fread(bytes.data(), 1, size, f.get()) != size)
        return {};
    std::vector<Box> top;
    if (!ParseBoxes(bytes, top) || top.size() != 1)
        return {};
    return FindComment(top[0]);
}

Expected<void, ExportError> FinishMovieBox(const std::string& path, int textTrack, int textSamples,
                                           const std::string& comment)
{
    if (textTrack < 0 && comment.empty())
        return {};
    File f(std::fopen(path.c_str(), "r+b"));
    if (!f)
        return Unexpected(Fail(ExportFailure::Unwritable, path, QStringLiteral("cannot be reopened")));
    std::uint64_t offset = 0, size = 0;
    if (!FindTopBox(f.get(), "moov", offset, size) || size > kMaxMovieBox)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("no movie box")));
    std::string bytes(size + 8, '\0');
    if (std::fseek(f.get(), long(offset), SEEK_SET) != 0 || std::fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("movie box cut short")));
    // The reserved space left after the movie box.
    const std::uint32_t freeSize = Get32(bytes, size);
    if (bytes.compare(size + 4, 4, "free") != 0 || freeSize < 8)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("no reserved space after the movie box")));
    bytes.resize(size);
    std::vector<Box> top;
    if (!ParseBoxes(bytes, top) || top.size() != 1)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("movie box not readable")));
    Box& moov = top[0];
    if (textTrack >= 0) {
        int n = 0;
        bool done = false;
        for (Box& trak : moov.children) {
            if (trak.type != "trak" || n++ != textTrack)
                continue;
            Box* mdia = Child(trak, "mdia");
            Box* minf = mdia ? Child(*mdia, "minf") : nullptr;
            Box* stbl = minf ? Child(*minf, "stbl") : nullptr;
            done = stbl && RebuildTextTables(*stbl, textSamples);
        }
        if (!done)
            return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("text track tables not as expected")));
    }
    if (!comment.empty()) {
        Box cmt{"@CMT", comment, {}, false};
        Box udta{"udta", Serialize(cmt), {}, false};
        const size_t at = moov.children.empty() ? 0 : 1;  // after the movie header, before the tracks
        moov.children.insert(moov.children.begin() + long(at), udta);
    }
    const std::string rewritten = Serialize(moov);
    const std::uint64_t room = size + freeSize;
    if (rewritten.size() > room || (room - rewritten.size() != 0 && room - rewritten.size() < 8))
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("reserved space too small for the movie box")));
    std::string tail;
    if (room > rewritten.size()) {
        Put32(tail, std::uint32_t(room - rewritten.size()));
        tail += "free";
        tail.resize(room - rewritten.size(), '\0');
    }
    if (std::fseek(f.get(), long(offset), SEEK_SET) != 0 ||
        std::fwrite(rewritten.data(), 1, rewritten.size(), f.get()) != rewritten.size() ||
        std::fwrite(tail.data(), 1, tail.size(), f.get()) != tail.size() || std::fflush(f.get()) != 0)
        return Unexpected(Fail(ExportFailure::Unwritable, path, QStringLiteral("movie box cannot be rewritten")));
    if (std::fclose(f.release()) != 0)
        return Unexpected(Fail(ExportFailure::Unwritable, path, QStringLiteral("movie box cannot be rewritten")));
    return {};
}

} // namespace korvane
