// Minimal tracks and whole synthetic files.
#include "tools/mp4write/mp4write.h"

#include <stdexcept>

namespace korvane::mp4write {

static Bytes Tkhd(uint32_t trackId, uint32_t movieDuration, bool isAudio) {
  Bytes p;
  PutU32(p, 0);  // creation
  PutU32(p, 0);  // modification
  PutU32(p, trackId);
  PutU32(p, 0);
  PutU32(p, movieDuration);
  Append(p, Zeros(8));
  PutU16(p, 0);                      // layer
  PutU16(p, 0);                      // alternate group
  PutU16(p, isAudio ? 0x0100 : 0);   // volume
  PutU16(p, 0);
  const uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
  for (uint32_t v : m) PutU32(p, v);
  PutU32(p, 0);  // width
  PutU32(p, 0);  // height
  return FullBox("tkhd", 0, 3, p);
}

static Bytes Mdhd(uint32_t timescale, uint32_t duration) {
  Bytes p;
  PutU32(p, 0);
  PutU32(p, 0);
  PutU32(p, timescale);
  PutU32(p, duration);
  PutU16(p, 0x55C4);  // "und"
  PutU16(p, 0);
  return FullBox("mdhd", 0, 0, p);
}

static Bytes MediaHeader(std::string_view handler) {
  if (handler == "vide") return FullBox("vmhd", 0, 1, Zeros(8));
  if (handler == "soun") return FullBox("smhd", 0, 0, Zeros(4));
  return FullBox("nmhd", 0, 0, {});
}

static Bytes Dinf() {
  Bytes dref;
  PutU32(dref, 1);
  Append(dref, FullBox("url ", 0, 1, {}));
  return Box("dinf", FullBox("dref", 0, 0, dref));
}

Bytes Trak(const TrackSpec& track, const std::vector<uint32_t>& offsets, uint32_t movieTimescale) {
  std::vector<SttsEntry> stts =
      track.stts ? *track.stts
                 : std::vector<SttsEntry>{{static_cast<uint32_t>(track.samples.size()), track.sampleDelta}};
  uint64_t mediaDuration = 0;
  for (const SttsEntry& e : stts) mediaDuration += uint64_t{e.count} * e.delta;
  const uint64_t movieDuration =
      track.timescale ? mediaDuration * movieTimescale / track.timescale : 0;

  std::vector<uint32_t> sizes;
  if (track.sampleSizes) {
    sizes = *track.sampleSizes;
  } else {
    for (const Bytes& s : track.samples) sizes.push_back(static_cast<uint32_t>(s.size()));
  }
  const std::vector<uint32_t>& chunks = track.chunkOffsets ? *track.chunkOffsets : offsets;

  Bytes stbl = track.rawStbl ? *track.rawStbl
                             : Box("stbl", Cat({Stsd(track.handler), Stts(stts), Stsc({StscEntry{}}),
                                                Stsz(sizes, track.stszCount),
                                                Stco(chunks, track.stcoCount)}));
  Bytes minf = Box("minf", Cat({MediaHeader(track.handler), Dinf(), stbl}));
  Bytes mdia = Box("mdia", Cat({Mdhd(track.timescale, static_cast<uint32_t>(mediaDuration)),
                                Hdlr(track.handler, "Korvane " + track.handler), minf}));
  return Box("trak", Cat({Tkhd(track.trackId, static_cast<uint32_t>(movieDuration),
                               track.handler == "soun"),
                          mdia}));
}

static Bytes Moov(const FileSpec& spec, uint64_t firstSampleOffset) {
  const uint32_t movieTimescale = 1000;
  Bytes body = Mvhd(movieTimescale, 0, static_cast<uint32_t>(spec.tracks.size() + 1));
  for (const Bytes& b : spec.moovBeforeTracks) Append(body, b);
  uint64_t at = firstSampleOffset;
  for (size_t i = 0; i < spec.tracks.size(); ++i) {
    TrackSpec t = spec.tracks[i];
    if (t.trackId == 0) t.trackId = static_cast<uint32_t>(i + 1);
    std::vector<uint32_t> offsets;
    for (const Bytes& s : t.samples) {
      offsets.push_back(static_cast<uint32_t>(at));
      at += s.size();
    }
    Append(body, Trak(t, offsets, movieTimescale));
  }
  for (const Bytes& b : spec.moovAfterTracks) Append(body, b);
  return Box("moov", body);
}

Bytes BuildFile(const FileSpec& spec) {
  Bytes mdatPayload;
  for (const TrackSpec& t : spec.tracks)
    for (const Bytes& s : t.samples) Append(mdatPayload, s);
  const Bytes ftyp = Ftyp();
  Bytes out = ftyp;
  if (spec.moovFirst) {
    // The moov's size does not depend on the offset values, so measure it first.
    const size_t moovSize = Moov(spec, 0).size();
    Append(out, Moov(spec, ftyp.size() + moovSize + 8));
    Append(out, Box("mdat", mdatPayload));
  } else {
    Append(out, Box("mdat", mdatPayload));
    Append(out, Moov(spec, ftyp.size() + 8));
  }
  for (const Bytes& b : spec.topAfter) Append(out, b);
  return out;
}

}  // namespace korvane::mp4write
