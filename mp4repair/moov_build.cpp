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

Bytes SampleTables(const Bytes& moov, const BoxHeader& stbl, const TrackModel& model,
                   const std::vector<FoundSample>& samples, int64_t shift, const Composition& composition) {
  Bytes out;
  for (const BoxHeader& k : Children(moov, stbl.PayloadOffset(), stbl.offset + stbl.size))
    if (k.type == "stsd") out = Slice(moov, k);
  // stts: one entry, the reference's usual duration.
  Bytes p;
  Put32(p, 1);
  Put32(p, uint32_t(samples.size()));
  Put32(p, model.sampleDelta ? model.sampleDelta : 1);
  const Bytes stts = MakeFullBox("stts", 0, 0, p);
  out.insert(out.end(), stts.begin(), stts.end());
  if (!composition.offsets.empty() && composition.offsets.size() == samples.size()) {
    // Each picture shown at the time its own picture order count gives it.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t v : composition.offsets) {
      if (!runs.empty() && runs.back().second == v) ++runs.back().first;
      else runs.push_back({1, v});
    }
    Bytes c;
    Put32(c, uint32_t(runs.size()));
    for (const auto& [count, v] : runs) {
      Put32(c, count);
      Put32(c, v);
    }
    const Bytes ctts = MakeFullBox("ctts", 0, 0, c);
    out.insert(out.end(), ctts.begin(), ctts.end());
  }
  if (model.hasSyncTable) {
    Bytes s;
    std::vector<uint32_t> keys;
    for (size_t i = 0; i < samples.size(); ++i)
      if (samples[i].key) keys.push_back(uint32_t(i + 1));
    Put32(s, uint32_t(keys.size()));
    for (uint32_t k : keys) Put32(s, k);
    const Bytes stss = MakeFullBox("stss", 0, 0, s);
    out.insert(out.end(), stss.begin(), stss.end());
  }
  // Chunks: runs of samples that follow each other in the file. Timed text keeps one sample per
  // chunk, as the camera writes it (the telemetry reader takes each chunk offset as a sample's).
  const bool ownChunks = model.kind == TrackKind::Text;
  std::vector<uint64_t> chunkOffsets;
  std::vector<uint32_t> chunkSamples;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (i == 0 || ownChunks || samples[i].offset != samples[i - 1].offset + samples[i - 1].size) {
      chunkOffsets.push_back(uint64_t(int64_t(samples[i].offset) + shift));
      chunkSamples.push_back(0);
    }
    ++chunkSamples.back();
  }
  Bytes c;
  uint32_t entries = 0;
  for (size_t i = 0; i < chunkSamples.size(); ++i) {
    if (i > 0 && chunkSamples[i] == chunkSamples[i - 1]) continue;
    Put32(c, uint32_t(i + 1));
    Put32(c, chunkSamples[i]);
    Put32(c, 1);
    ++entries;
  }
  Bytes stsc;
  Put32(stsc, entries);
  stsc.insert(stsc.end(), c.begin(), c.end());
  const Bytes stscBox = MakeFullBox("stsc", 0, 0, stsc);
  out.insert(out.end(), stscBox.begin(), stscBox.end());
  Bytes z;
  Put32(z, 0);
  Put32(z, uint32_t(samples.size()));
  for (const FoundSample& s : samples) Put32(z, s.size);
  const Bytes stsz = MakeFullBox("stsz", 0, 0, z);
  out.insert(out.end(), stsz.begin(), stsz.end());
  const bool large = !chunkOffsets.empty() && chunkOffsets.back() > 0xFFFFFFFFu;
  Bytes o;
  Put32(o, uint32_t(chunkOffsets.size()));
  for (uint64_t off : chunkOffsets) large ? Put64(o, off) : Put32(o, uint32_t(off));
  const Bytes stco = MakeFullBox(large ? "co64" : "stco", 0, 0, o);
  out.insert(out.end(), stco.begin(), stco.end());
  return MakeBox("stbl", out);
}

// Rebuilds a container box: `rebuild(child)` returns the new bytes of a child (empty drops it).
template <class F>
Bytes Rebuild(const Bytes& moov, const BoxHeader& box, F rebuild) {
  Bytes body;
  for (const BoxHeader& k : Children(moov, box.PayloadOffset(), box.offset + box.size)) {
    const Bytes b = rebuild(k);
    body.insert(body.end(), b.begin(), b.end());
  }
  char type[4];
  std::copy(box.type.begin(), box.type.end(), type);
  Bytes out;
  Put32(out, uint32_t(body.size() + 8));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
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

Bytes BuildMoov(const Reference& ref, const std::vector<std::vector<FoundSample>>& samples, int64_t shift,
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
  return Rebuild(moov, top, [&](const BoxHeader& k) -> Bytes {
    if (k.type == "mvhd") {
      Bytes b = Slice(moov, k);
      SetDuration(b, 24, 32, movieDuration);
      return b;
    }
    if (k.type != "trak") return Slice(moov, k);
    const size_t t = trackIndex++;
    if (t >= ref.tracks.size() || samples[t].empty()) return {};
    const TrackModel& m = ref.tracks[t];
    const Durations& d = durations[t];
    const bool ownTimes = t < composition.size();
    const Composition& times = ownTimes ? composition[t] : kNone;
    bool hasEdits = false;
    for (const BoxHeader& tk : Children(moov, k.PayloadOffset(), k.offset + k.size)) hasEdits = hasEdits || tk.type == "edts";
    return Rebuild(moov, k, [&](const BoxHeader& tk) -> Bytes {
      if (tk.type == "tkhd") {
        Bytes b = Slice(moov, tk);
        SetDuration(b, 28, 36, d.movie);
        if (!hasEdits && times.shift > 0) {
          const Bytes e = NewEditList(m, d, ref.movieTimescale, times.shift);
          b.insert(b.end(), e.begin(), e.end());
        }
        return b;
      }
      if (tk.type == "edts") return EditList(moov, tk, m, d, ref.movieTimescale, ownTimes ? int64_t(times.shift) : -1);
      if (tk.type != "mdia") return Slice(moov, tk);
      return Rebuild(moov, tk, [&](const BoxHeader& md) -> Bytes {
        if (md.type == "mdhd") {
          Bytes b = Slice(moov, md);
          SetDuration(b, 24, 32, d.media);
          return b;
        }
        if (md.type != "minf") return Slice(moov, md);
        return Rebuild(moov, md, [&](const BoxHeader& mi) -> Bytes {
          if (mi.type != "stbl") return Slice(moov, mi);
          return SampleTables(moov, mi, m, samples[t], shift, times);
        });
      });
    });
  });
}

}  // namespace korvane::repair
