// Reading the reference recording: its moov, track models, chunk order and sample tables.
#include "mp4repair/reference.h"

#include <algorithm>
#include <map>

#include "mp4repair/damage.h"

namespace korvane::repair {

namespace {

constexpr uint64_t kMaxMoovBytes = 256ull << 20;  // far above any camera's sample tables
constexpr size_t kMaxPatternChunks = 4096;

struct Tables {
  std::vector<uint64_t> chunkOffsets;
  std::vector<std::pair<uint32_t, uint32_t>> stsc;  // first chunk (1-based), samples per chunk
};

// The full-box payload (after version and flags) of `box`, or false when it is too short.
bool FullPayload(const Bytes&, const BoxHeader& box, uint64_t need, uint64_t& at) {
  at = box.PayloadOffset() + 4;
  return box.size >= uint64_t(box.headerSize) + 4 + need;
}

void ReadVisualEntry(const Bytes& d, const BoxHeader& entry, TrackModel& t) {
  const uint64_t childrenAt = entry.PayloadOffset() + 78;
  if (entry.offset + entry.size < childrenAt) return;
  for (const BoxHeader& c : Children(d, childrenAt, entry.offset + entry.size)) {
    const uint8_t* p = d.data() + c.PayloadOffset();
    const uint64_t n = c.size - c.headerSize;
    if (c.type == "avcC" && n >= 7) {
      t.nalLengthSize = (p[4] & 3) + 1;
      uint64_t at = 5;
      for (int list = 0; list < 2 && at < n; ++list) {
        const int count = list == 0 ? (p[at] & 0x1F) : p[at];
        ++at;
        for (int i = 0; i < count && at + 2 <= n; ++i) {
          const uint16_t len = Be16(p + at);
          if (at + 2 + len > n) break;
          t.parameterSets.emplace_back(p + at + 2, p + at + 2 + len);
          at += 2 + len;
        }
      }
    } else if (c.type == "hvcC" && n >= 23) {
      t.hevc = true;
      t.nalLengthSize = (p[21] & 3) + 1;
      uint64_t at = 23;
      for (int a = 0; a < p[22] && at + 3 <= n; ++a) {
        const uint16_t count = Be16(p + at + 1);
        at += 3;
        for (int i = 0; i < count && at + 2 <= n; ++i) {
          const uint16_t len = Be16(p + at);
          if (at + 2 + len > n) break;
          t.parameterSets.emplace_back(p + at + 2, p + at + 2 + len);
          at += 2 + len;
        }
      }
    }
  }
}

// Reads one MPEG-4 descriptor length (up to four 7-bit groups).
bool DescriptorLength(const uint8_t* p, uint64_t n, uint64_t& at, uint64_t& len) {
  len = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= n) return false;
    const uint8_t b = p[at++];
    len = (len << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return true;
}

// The DecoderSpecificInfo (tag 5) inside an esds payload.
Bytes AudioSpecificConfig(const uint8_t* p, uint64_t n) {
  uint64_t at = 4;  // version and flags
  while (at < n) {
    const uint8_t tag = p[at++];
    uint64_t len = 0;
    if (!DescriptorLength(p, n, at, len)) return {};
    if (tag == 5) return at + len <= n ? Bytes(p + at, p + at + len) : Bytes{};
    if (tag == 3) {
      if (at + 3 > n) return {};
      const uint8_t flags = p[at + 2];
      at += 3;
      if (flags & 0x80) at += 2;
      if (flags & 0x40) at += at < n ? 1 + p[at] : 0;
      if (flags & 0x20) at += 2;
    } else if (tag == 4) {
      at += 13;
    } else {
      at += len;
    }
  }
  return {};
}

void ReadAudioEntry(const Bytes& d, const BoxHeader& entry, TrackModel& t) {
  const uint64_t base = entry.PayloadOffset() + 8;
  if (entry.offset + entry.size < base + 20) return;
  const uint16_t version = Be16(d.data() + base);
  t.channels = Be16(d.data() + base + 8);
  t.sampleRate = int(Be32(d.data() + base + 16) >> 16);
  const uint64_t childrenAt = base + 20 + (version == 1 ? 16 : version == 2 ? 36 : 0);
  for (const BoxHeader& c : Children(d, childrenAt, entry.offset + entry.size))
    if (c.type == "esds") t.audioConfig = AudioSpecificConfig(d.data() + c.PayloadOffset(), c.size - c.headerSize);
}

// The media time of the first edit that shows media (0 without an edit list).
uint64_t EditMediaTime(const Bytes& d, const std::vector<BoxHeader>& trakKids) {
  const BoxHeader* edts = Find(trakKids, "edts");
  if (!edts) return 0;
  const auto kids = Children(d, edts->PayloadOffset(), edts->offset + edts->size);
  const BoxHeader* elst = Find(kids, "elst");
  uint64_t at = 0;
  if (!elst || !FullPayload(d, *elst, 4, at)) return 0;
  const bool v1 = d[elst->PayloadOffset()] == 1;
  const uint64_t entry = v1 ? 20 : 12;
  const uint32_t n = Be32(d.data() + at);
  for (uint32_t i = 0; i < n && i < 16 && at + 4 + entry * (i + 1) <= elst->offset + elst->size; ++i) {
    const uint64_t e = at + 4 + entry * i;
    const int64_t t = v1 ? int64_t(Be64(d.data() + e + 8)) : int64_t(int32_t(Be32(d.data() + e + 4)));
    if (t >= 0) return uint64_t(t);
  }
  return 0;
}

// Samples per chunk of every chunk [0, count): one pass over stsc, whose first chunks ascend.
std::vector<uint32_t> SamplesPerChunk(const std::vector<std::pair<uint32_t, uint32_t>>& stsc, size_t count) {
  std::vector<uint32_t> out(count, 0);
  size_t e = 0;
  uint32_t perChunk = 0;
  for (size_t c = 0; c < count; ++c) {
    while (e < stsc.size() && stsc[e].first <= c + 1) perChunk = stsc[e++].second;
    out[c] = perChunk;
  }
  return out;
}

// `chunkLimit` (when not 0): only the chunk offsets and stsc entries of the first chunks are read.
bool ReadTrack(const Bytes& d, const BoxHeader& trak, TrackModel& t, Tables& tables, size_t chunkLimit = 0) {
  t.trak = trak;
  const auto trakKids = Children(d, trak.PayloadOffset(), trak.offset + trak.size);
  const BoxHeader* mdia = Find(trakKids, "mdia");
  if (!mdia) return false;
  const auto mdiaKids = Children(d, mdia->PayloadOffset(), mdia->offset + mdia->size);
  const BoxHeader* mdhd = Find(mdiaKids, "mdhd");
  const BoxHeader* hdlr = Find(mdiaKids, "hdlr");
  const BoxHeader* minf = Find(mdiaKids, "minf");
  if (!mdhd || !hdlr || !minf) return false;
  uint64_t at = 0;
  if (!FullPayload(d, *mdhd, 20, at)) return false;
  t.timescale = d[mdhd->PayloadOffset()] == 1 ? Be32(d.data() + at + 16) : Be32(d.data() + at + 8);
  if (!FullPayload(d, *hdlr, 8, at)) return false;
  t.handler.assign(reinterpret_cast<const char*>(d.data() + at + 4), 4);
  const auto minfKids = Children(d, minf->PayloadOffset(), minf->offset + minf->size);
  const BoxHeader* stbl = Find(minfKids, "stbl");
  if (!stbl) return false;
  const auto kids = Children(d, stbl->PayloadOffset(), stbl->offset + stbl->size);
  const BoxHeader* stsd = Find(kids, "stsd");
  if (!stsd || !FullPayload(d, *stsd, 4, at)) return false;
  const auto entries = Children(d, at + 4, stsd->offset + stsd->size);
  if (entries.empty()) return false;
  t.codec = entries[0].type;
  if (t.handler == "vide") {
    t.kind = TrackKind::Video;
    ReadVisualEntry(d, entries[0], t);
    if (t.codec == "hvc1" || t.codec == "hev1") t.hevc = true;
  } else if (t.handler == "soun") {
    t.kind = TrackKind::Audio;
    ReadAudioEntry(d, entries[0], t);
  } else if (t.codec == "tx3g" || t.codec == "text") {
    t.kind = TrackKind::Text;
  }
  t.hasSyncTable = Find(kids, "stss") != nullptr;
  t.hasCompositionOffsets = Find(kids, "ctts") != nullptr;
  t.editMediaTime = EditMediaTime(d, trakKids);
  if (const BoxHeader* stts = Find(kids, "stts"); stts && FullPayload(d, *stts, 4, at)) {
    const uint32_t n = Be32(d.data() + at);
    std::map<uint32_t, uint64_t> votes;
    for (uint32_t i = 0; i < n && at + 12 + 8ull * i <= stts->offset + stts->size; ++i) {
      const uint32_t count = Be32(d.data() + at + 4 + 8ull * i);
      const uint32_t delta = Be32(d.data() + at + 8 + 8ull * i);
      if (delta != 0) votes[delta] += count;  // zero-length samples tell nothing of the rate
      t.sampleCount += count;
    }
    uint64_t best = 0;
    for (const auto& [delta, count] : votes)
      if (count > best) best = count, t.sampleDelta = delta;
  }
  if (const BoxHeader* stsz = Find(kids, "stsz"); stsz && FullPayload(d, *stsz, 8, at)) {
    const uint32_t fixed = Be32(d.data() + at);
    const uint32_t n = Be32(d.data() + at + 4);
    t.maxSampleSize = fixed;
    for (uint32_t i = 0; fixed == 0 && i < n && at + 12 + 4ull * i <= stsz->offset + stsz->size; ++i)
      t.maxSampleSize = std::max(t.maxSampleSize, Be32(d.data() + at + 8 + 4ull * i));
  }
  const BoxHeader* stco = Find(kids, "stco");
  const BoxHeader* co64 = Find(kids, "co64");
  if (stco && FullPayload(d, *stco, 4, at)) {
    const uint32_t n = Be32(d.data() + at);
    for (uint32_t i = 0; i < n && at + 8 + 4ull * i <= stco->offset + stco->size && (!chunkLimit || i < chunkLimit); ++i)
      tables.chunkOffsets.push_back(Be32(d.data() + at + 4 + 4ull * i));
  } else if (co64 && FullPayload(d, *co64, 4, at)) {
    const uint32_t n = Be32(d.data() + at);
    for (uint32_t i = 0; i < n && at + 12 + 8ull * i <= co64->offset + co64->size && (!chunkLimit || i < chunkLimit); ++i)
      tables.chunkOffsets.push_back(Be64(d.data() + at + 4 + 8ull * i));
  }
  if (const BoxHeader* stsc = Find(kids, "stsc"); stsc && FullPayload(d, *stsc, 4, at)) {
    const uint32_t n = Be32(d.data() + at);
    for (uint32_t i = 0; i < n && at + 16 + 12ull * i <= stsc->offset + stsc->size; ++i) {
      const uint32_t first = Be32(d.data() + at + 4 + 12ull * i);
      if (chunkLimit && first > chunkLimit) break;  // sorted: the rest describe later chunks
      tables.stsc.emplace_back(first, Be32(d.data() + at + 8 + 12ull * i));
    }
  }
  return t.timescale != 0;
}

// The first chunks of every track, merged into file order.
std::vector<ChunkStep> Pattern(const std::vector<Tables>& tables) {
  std::vector<std::pair<uint64_t, ChunkStep>> all;
  for (size_t t = 0; t < tables.size(); ++t) {
    const Tables& tb = tables[t];
    const std::vector<uint32_t> perChunk =
        SamplesPerChunk(tb.stsc, std::min<size_t>(tb.chunkOffsets.size(), kMaxPatternChunks));
    for (size_t c = 0; c < perChunk.size(); ++c)
      if (perChunk[c]) all.push_back({tb.chunkOffsets[c], ChunkStep{int(t), perChunk[c]}});
  }
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ChunkStep> out;
  for (const auto& [offset, step] : all) out.push_back(step);
  return out;
}

}  // namespace

bool LoadReference(const std::string& path, Reference& out, std::string& error) {
  out = Reference{};
  out.path = path;
  const DamageCheck check = CheckRecording(path);
  if (check.state == FileState::Unreadable) {
    error = "cannot open the reference " + path;
    return false;
  }
  if (check.state != FileState::Healthy) {
    error = "the reference " + path + " is not a complete recording";
    return false;
  }
  if (check.moovSize > kMaxMoovBytes) {
    error = "the reference's sample tables are too large";
    return false;
  }
  InputFile in;
  if (!in.Open(path)) {
    error = "cannot open the reference " + path;
    return false;
  }
  out.moov = in.Read(check.moovOffset, check.moovSize);
  if (check.ftypSize > 0 && check.ftypSize < 4096) out.ftyp = in.Read(check.ftypOffset, check.ftypSize);
  if (out.moov.size() != check.moovSize) {
    error = "cannot read the reference " + path;
    return false;
  }
  const Bytes& d = out.moov;
  const auto kids = Children(d, 8, d.size());
  std::vector<Tables> tables;
  for (const BoxHeader& k : kids) {
    if (k.type == "mvhd") {
      uint64_t at = 0;
      if (FullPayload(d, k, 20, at)) out.movieTimescale = d[k.PayloadOffset()] == 1 ? Be32(d.data() + at + 16) : Be32(d.data() + at + 8);
    } else if (k.type == "trak") {
      TrackModel t;
      Tables tb;
      if (!ReadTrack(d, k, t, tb, kMaxPatternChunks)) {
        error = "the reference " + path + " has a track that cannot be read";
        return false;
      }
      out.tracks.push_back(t);
      tables.push_back(tb);
    }
  }
  if (out.movieTimescale == 0 || out.tracks.empty()) {
    error = "the reference " + path + " has no usable tracks";
    return false;
  }
  out.pattern = Pattern(tables);
  return true;
}

std::vector<TableSample> ReferenceSamples(const Reference& ref, size_t track) {
  std::vector<TableSample> out;
  if (track >= ref.tracks.size()) return out;
  const Bytes& d = ref.moov;
  TrackModel model;
  Tables tables;
  if (!ReadTrack(d, ref.tracks[track].trak, model, tables)) return out;
  // Sizes and key frames straight from stsz and stss.
  const BoxHeader& trak = ref.tracks[track].trak;
  std::vector<uint32_t> sizes;
  std::vector<uint32_t> keys;
  bool haveKeys = false;
  const auto walk = [&](auto&& self, const BoxHeader& box) -> void {
    for (const BoxHeader& k : Children(d, box.PayloadOffset(), box.offset + box.size)) {
      uint64_t at = 0;
      if (k.type == "mdia" || k.type == "minf" || k.type == "stbl") self(self, k);
      if (k.type == "stsz" && FullPayload(d, k, 8, at)) {
        const uint32_t fixed = Be32(d.data() + at), n = Be32(d.data() + at + 4);
        for (uint32_t i = 0; i < n; ++i) {
          if (fixed) { sizes.push_back(fixed); continue; }
          if (at + 12 + 4ull * i > k.offset + k.size) break;
          sizes.push_back(Be32(d.data() + at + 8 + 4ull * i));
        }
      }
      if (k.type == "stss" && FullPayload(d, k, 4, at)) {
        haveKeys = true;
        const uint32_t n = Be32(d.data() + at);
        for (uint32_t i = 0; i < n && at + 8 + 4ull * i <= k.offset + k.size; ++i)
          keys.push_back(Be32(d.data() + at + 4 + 4ull * i));
      }
    }
  };
  walk(walk, trak);
  size_t s = 0;
  const std::vector<uint32_t> perChunk = SamplesPerChunk(tables.stsc, tables.chunkOffsets.size());
  for (size_t c = 0; c < tables.chunkOffsets.size(); ++c) {
    uint64_t at = tables.chunkOffsets[c];
    for (uint32_t i = 0; i < perChunk[c] && s < sizes.size(); ++i, ++s) {
      out.push_back({at, sizes[s], !haveKeys});
      at += sizes[s];
    }
  }
  if (s != sizes.size()) return {};
  for (uint32_t k : keys)
    if (k >= 1 && k <= out.size()) out[k - 1].key = true;
  return out;
}

std::string DescribeLayout(const Reference& ref) {
  std::string s;
  for (const TrackModel& t : ref.tracks) s += (s.empty() ? "" : "+") + t.codec;
  return s;
}

}  // namespace korvane::repair
