// The repaired recording's moov: the reference's boxes with new sample tables and durations.
#include "mp4repair/moov_build.h"

#include <algorithm>

namespace korvane::repair {

namespace {

struct Durations {
  uint64_t media = 0;  // in the track's timescale
  uint64_t movie = 0;  // in the movie timescale
};

// Writes a duration field of a box version 0 (32 bits) or 1 (64 bits) at `at32`/`at64`.
void SetDuration(Bytes& box, uint64_t at32, uint64_t at64, uint64_t value) {
  if (box.size() < 12) return;
  if (box[8] == 1) {
    if (at64 + 8 > box.size()) return;
    for (int k = 0; k < 8; ++k) box[at64 + k] = uint8_t(value >> (56 - 8 * k));
  } else {
    if (at32 + 4 > box.size()) return;
    Set32(box, at32, uint32_t(std::min<uint64_t>(value, 0xFFFFFFFFu)));
  }
}

constexpr size_t kTableBlock = 1u << 20;

// A full box (version 0, no flags) whose payload is `head` and then a table of `tableSize` bytes.
MoovPieces TableBox(const char* type, const Bytes& head, uint64_t tableSize, MoovPieces::Fill fill) {
  Bytes h;
  Put32(h, uint32_t(12 + head.size() + tableSize));
  h.insert(h.end(), type, type + 4);
  Put32(h, 0);
  h.insert(h.end(), head.begin(), head.end());
  MoovPieces out;
  out.Append(h);
  if (tableSize) out.AppendTable(tableSize, std::move(fill));
  return out;
}

MoovPieces SampleTables(const Bytes& moov, const BoxHeader& stbl, const TrackModel& model, const SampleList& samples,
                        int64_t shift, const Composition& composition) {
  MoovPieces out;
  for (const BoxHeader& k : Children(moov, stbl.PayloadOffset(), stbl.offset + stbl.size))
    if (k.type == "stsd") out.Append(Slice(moov, k));
  const uint32_t count = uint32_t(samples.size());
  // stts: one entry, the reference's usual duration.
  Bytes p;
  Put32(p, 1);
  Put32(p, count);
  Put32(p, model.sampleDelta ? model.sampleDelta : 1);
  out.Append(MakeFullBox("stts", 0, 0, p));
  if (!composition.offsets.empty() && composition.offsets.size() == samples.size()) {
    // Each picture shown at the time its own picture order count gives it.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t v : composition.offsets) {
      if (!runs.empty() && runs.back().second == v) ++runs.back().first;
      else runs.push_back({1, v});
    }
    Bytes c;
    Put32(c, uint32_t(runs.size()));
    for (const auto& [n, v] : runs) {
      Put32(c, n);
      Put32(c, v);
    }
    out.Append(MakeFullBox("ctts", 0, 0, c));
  }
  if (model.hasSyncTable) {
    uint32_t keys = 0;
    samples.ForEach([&](const FoundSample& s) { keys += s.key ? 1 : 0; });
    Bytes head;
    Put32(head, keys);
    out.Append(TableBox("stss", head, uint64_t(keys) * 4, [&samples](TableWriter& w) {
      uint32_t index = 0;
      samples.ForEach([&](const FoundSample& s) {
        ++index;
        if (s.key) w.Put32(index);
      });
    }));
  }
  // Chunks: runs of samples that follow each other in the file. Timed text keeps one sample per
  // chunk, as the camera writes it (the telemetry reader takes each chunk offset as a sample's).
  const bool ownChunks = model.kind == TrackKind::Text;
  const uint64_t chunks = ownChunks ? samples.size() : samples.Runs();
  uint64_t lastOffset = 0;
  if (ownChunks) samples.ForEach([&](const FoundSample& s) { lastOffset = s.offset; });
  else samples.ForEachRun([&](uint64_t offset, uint64_t, uint64_t) { lastOffset = offset; });
  Bytes stsc;
  uint32_t entries = 0;
  if (ownChunks) {
    Put32(stsc, 1);
    Put32(stsc, 1);
    Put32(stsc, 1);
    entries = 1;
  } else {
    uint64_t chunk = 0, previous = 0;
    samples.ForEachRun([&](uint64_t, uint64_t, uint64_t n) {
      ++chunk;
      if (chunk > 1 && n == previous) return;
      Put32(stsc, uint32_t(chunk));
      Put32(stsc, uint32_t(n));
      Put32(stsc, 1);
      ++entries;
      previous = n;
    });
  }
  Bytes stscHead;
  Put32(stscHead, entries);
  stscHead.insert(stscHead.end(), stsc.begin(), stsc.end());
  out.Append(MakeFullBox("stsc", 0, 0, stscHead));
  Bytes stszHead;
  Put32(stszHead, 0);
  Put32(stszHead, count);
  out.Append(TableBox("stsz", stszHead, uint64_t(count) * 4, [&samples](TableWriter& w) {
    samples.ForEach([&](const FoundSample& s) { w.Put32(s.size); });
  }));
  const bool large = chunks > 0 && uint64_t(int64_t(lastOffset) + shift) > 0xFFFFFFFFu;
  Bytes stcoHead;
  Put32(stcoHead, uint32_t(chunks));
  out.Append(TableBox(large ? "co64" : "stco", stcoHead, chunks * (large ? 8 : 4),
                      [&samples, ownChunks, large, shift](TableWriter& w) {
                        const auto put = [&](uint64_t offset) {
                          const uint64_t at = uint64_t(int64_t(offset) + shift);
                          large ? w.Put64(at) : w.Put32(uint32_t(at));
                        };
                        if (ownChunks) samples.ForEach([&](const FoundSample& s) { put(s.offset); });
                        else samples.ForEachRun([&](uint64_t offset, uint64_t, uint64_t) { put(offset); });
                      }));
  return MoovPieces::Box("stbl", std::move(out));
}

// Rebuilds a container box: `rebuild(child)` returns the new pieces of a child (empty drops it).
template <class F>
MoovPieces Rebuild(const Bytes& moov, const BoxHeader& box, F rebuild) {
  MoovPieces body;
  for (const BoxHeader& k : Children(moov, box.PayloadOffset(), box.offset + box.size)) body.Append(rebuild(k));
  char type[5] = {};
  std::copy(box.type.begin(), box.type.end(), type);
  return MoovPieces::Box(type, std::move(body));
}

MoovPieces Whole(const Bytes& bytes) {
  MoovPieces p;
  p.Append(bytes);
  return p;
}

// The edit list with its lengths set to the new duration and, when `mediaTime` is given (not
// negative), the media time of every edit that shows media set to it.
Bytes EditList(const Bytes& moov, const BoxHeader& edts, const TrackModel& model, const Durations& d,
               uint32_t movieTimescale, int64_t newMediaTime) {
  const auto kids = Children(moov, edts.PayloadOffset(), edts.offset + edts.size);
  const BoxHeader* elst = Find(kids, "elst");
  if (!elst || kids.size() != 1) return {};
  Bytes box = Slice(moov, *elst);
  if (box.size() < 16) return {};
  const bool v1 = box[8] == 1;
  const uint32_t count = Be32(box.data() + 12);
  const uint64_t entry = v1 ? 20 : 12;
  if (16 + entry * count > box.size()) return {};
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t at = 16 + entry * i;
    int64_t mediaTime = v1 ? int64_t(Be64(box.data() + at + 8)) : int32_t(Be32(box.data() + at + 4));
    if (mediaTime < 0) continue;  // an empty edit stays as it is
    if (newMediaTime >= 0) {
      mediaTime = newMediaTime;
      if (v1) {
        for (int k = 0; k < 8; ++k) box[at + 8 + k] = uint8_t(uint64_t(mediaTime) >> (56 - 8 * k));
      } else {
        Set32(box, at + 4, uint32_t(mediaTime));
      }
    }
    const uint64_t skip = model.timescale ? uint64_t(mediaTime) * movieTimescale / model.timescale : 0;
    const uint64_t length = d.movie > skip ? d.movie - skip : 0;
    if (v1) {
      for (int k = 0; k < 8; ++k) box[at + k] = uint8_t(length >> (56 - 8 * k));
    } else {
      Set32(box, at, uint32_t(std::min<uint64_t>(length, 0xFFFFFFFFu)));
    }
  }
  return MakeBox("edts", box);
}

// An edit list of one edit showing the media from `mediaTime` on, for a track that had none.
Bytes NewEditList(const TrackModel& model, const Durations& d, uint32_t movieTimescale, uint32_t mediaTime) {
  const uint64_t skip = model.timescale ? uint64_t(mediaTime) * movieTimescale / model.timescale : 0;
  Bytes p;
  Put32(p, 1);
  Put32(p, uint32_t(std::min<uint64_t>(d.movie > skip ? d.movie - skip : 0, 0xFFFFFFFFu)));
  Put32(p, mediaTime);
  Put32(p, 0x00010000);  // rate 1.0
  return MakeBox("edts", MakeFullBox("elst", 0, 0, p));
}

}  // namespace

MoovPieces BuildMoovPieces(const Reference& ref, const std::vector<SampleList>& samples, int64_t shift,
                           const std::vector<Composition>& composition) {
  static const Composition kNone;
  const Bytes& moov = ref.moov;
  std::vector<Durations> durations(ref.tracks.size());
  uint64_t movieDuration = 0;
  for (size_t t = 0; t < ref.tracks.size(); ++t) {
    const TrackModel& m = ref.tracks[t];
    durations[t].media = uint64_t(samples[t].size()) * (m.sampleDelta ? m.sampleDelta : 1);
    durations[t].movie = m.timescale ? durations[t].media * ref.movieTimescale / m.timescale : 0;
    if (!samples[t].empty()) movieDuration = std::max(movieDuration, durations[t].movie);
  }
  size_t trackIndex = 0;
  const BoxHeader top{"moov", 0, moov.size(), 8, false};
  return Rebuild(moov, top, [&](const BoxHeader& k) -> MoovPieces {
    if (k.type == "mvhd") {
      Bytes b = Slice(moov, k);
      SetDuration(b, 24, 32, movieDuration);
      return Whole(b);
    }
    if (k.type != "trak") return Whole(Slice(moov, k));
    const size_t t = trackIndex++;
    if (t >= ref.tracks.size() || samples[t].empty()) return MoovPieces();
    const TrackModel& m = ref.tracks[t];
    const Durations& d = durations[t];
    const bool ownTimes = t < composition.size();
    const Composition& times = ownTimes ? composition[t] : kNone;
    bool hasEdits = false;
    for (const BoxHeader& tk : Children(moov, k.PayloadOffset(), k.offset + k.size)) hasEdits = hasEdits || tk.type == "edts";
    return Rebuild(moov, k, [&](const BoxHeader& tk) -> MoovPieces {
      if (tk.type == "tkhd") {
        Bytes b = Slice(moov, tk);
        SetDuration(b, 28, 36, d.movie);
        if (!hasEdits && times.shift > 0) {
          const Bytes e = NewEditList(m, d, ref.movieTimescale, times.shift);
          b.insert(b.end(), e.begin(), e.end());
        }
        return Whole(b);
      }
      if (tk.type == "edts") return Whole(EditList(moov, tk, m, d, ref.movieTimescale, ownTimes ? int64_t(times.shift) : -1));
      if (tk.type != "mdia") return Whole(Slice(moov, tk));
      return Rebuild(moov, tk, [&](const BoxHeader& md) -> MoovPieces {
        if (md.type == "mdhd") {
          Bytes b = Slice(moov, md);
          SetDuration(b, 24, 32, d.media);
          return Whole(b);
        }
        if (md.type != "minf") return Whole(Slice(moov, md));
        return Rebuild(moov, md, [&](const BoxHeader& mi) -> MoovPieces {
          if (mi.type != "stbl") return Whole(Slice(moov, mi));
          return SampleTables(moov, mi, m, samples[t], shift, times);
        });
      });
    });
  });
}

Bytes BuildMoov(const Reference& ref, const std::vector<SampleList>& samples, int64_t shift,
                const std::vector<Composition>& composition) {
  return BuildMoovPieces(ref, samples, shift, composition).Flatten();
}

void TableWriter::Put32(uint32_t v) {
  repair::Put32(buffer_, v);
  if (buffer_.size() >= kTableBlock) Flush();
}

void TableWriter::Put64(uint64_t v) {
  repair::Put64(buffer_, v);
  if (buffer_.size() >= kTableBlock) Flush();
}

bool TableWriter::Flush() {
  if (!buffer_.empty()) {
    ok_ = ok_ && sink_(buffer_.data(), buffer_.size());
    written_ += buffer_.size();
    buffer_.clear();
  }
  return ok_;
}

void MoovPieces::Append(const Bytes& bytes) {
  if (bytes.empty()) return;
  if (pieces_.empty() || pieces_.back().fill) pieces_.push_back({});
  pieces_.back().bytes.insert(pieces_.back().bytes.end(), bytes.begin(), bytes.end());
  size_ += bytes.size();
}

void MoovPieces::Append(MoovPieces&& other) {
  for (Piece& piece : other.pieces_) {
    if (piece.fill) {
      pieces_.push_back(std::move(piece));
      size_ += pieces_.back().size;
    } else {
      Append(piece.bytes);
    }
  }
  other = MoovPieces();
}

void MoovPieces::AppendTable(uint64_t size, Fill fill) {
  pieces_.push_back({{}, size, std::move(fill)});
  size_ += size;
}

MoovPieces MoovPieces::Box(const char* type, MoovPieces&& body) {
  MoovPieces out;
  Bytes h;
  Put32(h, uint32_t(std::min<uint64_t>(body.Size() + 8, 0xFFFFFFFFu)));
  h.insert(h.end(), type, type + 4);
  out.Append(h);
  out.Append(std::move(body));
  return out;
}

bool MoovPieces::Write(const Sink& sink) const {
  for (const Piece& piece : pieces_) {
    if (!piece.fill) {
      if (!sink(piece.bytes.data(), piece.bytes.size())) return false;
      continue;
    }
    TableWriter w(sink);
    piece.fill(w);
    if (!w.Flush() || w.Written() != piece.size) return false;
  }
  return true;
}

Bytes MoovPieces::Flatten() const {
  Bytes out;
  out.reserve(size_);
  Write([&out](const uint8_t* data, size_t size) {
    out.insert(out.end(), data, data + size);
    return true;
  });
  return out;
}

}  // namespace korvane::repair
