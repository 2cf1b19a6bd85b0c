// Byte helpers, generic boxes and the single boxes of a minimal track.
#include "tools/mp4write/mp4write.h"

#include <stdexcept>

namespace korvane::mp4write {

void PutU8(Bytes& out, uint8_t v) { out.push_back(v); }
void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutU32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutU64(Bytes& out, uint64_t v) {
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes U16(uint16_t v) { Bytes b; PutU16(b, v); return b; }
Bytes U32(uint32_t v) { Bytes b; PutU32(b, v); return b; }
Bytes U64(uint64_t v) { Bytes b; PutU64(b, v); return b; }
Bytes Text(std::string_view text) { Bytes b; PutText(b, text); return b; }
Bytes Zeros(size_t count) { return Bytes(count, 0); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Append(out, p);
  return out;
}

uint32_t GetU32(const Bytes& in, size_t at) {
  if (at > in.size() || in.size() - at < 4) throw std::runtime_error("mp4write: read past end");
  return (uint32_t{in[at]} << 24) | (uint32_t{in[at + 1]} << 16) | (uint32_t{in[at + 2]} << 8) |
         uint32_t{in[at + 3]};
}
uint64_t GetU64(const Bytes& in, size_t at) {
  return (uint64_t{GetU32(in, at)} << 32) | GetU32(in, at + 4);
}

static void CheckType(std::string_view type) {
  if (type.size() != 4) throw std::runtime_error("mp4write: box type must have four characters");
}

Bytes BoxHeader(std::string_view type, uint32_t size32) {
  CheckType(type);
  Bytes b;
  PutU32(b, size32);
  PutText(b, type);
  return b;
}

Bytes LargeBoxHeader(std::string_view type, uint64_t largesize) {
  Bytes b = BoxHeader(type, 1);
  PutU64(b, largesize);
  return b;
}

Bytes Box(std::string_view type, const Bytes& payload) {
  if (payload.size() > 0xFFFFFFFFull - 8) throw std::runtime_error("mp4write: box too large");
  Bytes b = BoxHeader(type, static_cast<uint32_t>(payload.size() + 8));
  Append(b, payload);
  return b;
}

Bytes FullBox(std::string_view type, uint8_t version, uint32_t flags, const Bytes& payload) {
  Bytes body;
  PutU32(body, (uint32_t{version} << 24) | (flags & 0xFFFFFF));
  Append(body, payload);
  return Box(type, body);
}

Bytes LargeBox(std::string_view type, const Bytes& payload) {
  Bytes b = LargeBoxHeader(type, payload.size() + 16);
  Append(b, payload);
  return b;
}

static void PutMatrix(Bytes& b) {
  const uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
  for (uint32_t v : m) PutU32(b, v);
}

Bytes Ftyp() {
  Bytes p = Text("isom");
  PutU32(p, 0x200);
  PutText(p, "isomiso2mp41");
  return Box("ftyp", p);
}

Bytes Mvhd(uint32_t timescale, uint32_t duration, uint32_t nextTrackId) {
  Bytes p;
  PutU32(p, 0);  // creation time
  PutU32(p, 0);  // modification time
  PutU32(p, timescale);
  PutU32(p, duration);
  PutU32(p, 0x00010000);  // rate 1.0
  PutU16(p, 0x0100);      // volume 1.0
  Append(p, Zeros(10));
  PutMatrix(p);
  Append(p, Zeros(24));
  PutU32(p, nextTrackId);
  return FullBox("mvhd", 0, 0, p);
}

Bytes Stts(const std::vector<SttsEntry>& entries) {
  Bytes p;
  PutU32(p, static_cast<uint32_t>(entries.size()));
  for (const SttsEntry& e : entries) {
    PutU32(p, e.count);
    PutU32(p, e.delta);
  }
  return FullBox("stts", 0, 0, p);
}

Bytes Stsc(const std::vector<StscEntry>& entries) {
  Bytes p;
  PutU32(p, static_cast<uint32_t>(entries.size()));
  for (const StscEntry& e : entries) {
    PutU32(p, e.firstChunk);
    PutU32(p, e.samplesPerChunk);
    PutU32(p, e.descriptionIndex);
  }
  return FullBox("stsc", 0, 0, p);
}

Bytes Stsz(const std::vector<uint32_t>& sizes, std::optional<uint32_t> count) {
  Bytes p;
  PutU32(p, 0);  // sample_size 0: a table follows
  PutU32(p, count.value_or(static_cast<uint32_t>(sizes.size())));
  for (uint32_t s : sizes) PutU32(p, s);
  return FullBox("stsz", 0, 0, p);
}

Bytes Stco(const std::vector<uint32_t>& offsets, std::optional<uint32_t> count) {
  Bytes p;
  PutU32(p, count.value_or(static_cast<uint32_t>(offsets.size())));
  for (uint32_t o : offsets) PutU32(p, o);
  return FullBox("stco", 0, 0, p);
}

static Bytes SampleEntryHead() {
  Bytes p = Zeros(6);  // reserved
  PutU16(p, 1);        // data reference index
  return p;
}

Bytes Stsd(std::string_view handler) {
  Bytes entry = SampleEntryHead();
  std::string_view format;
  if (handler == "vide") {
    format = "mp4v";
    Append(entry, Zeros(16));  // pre-defined and reserved
    PutU16(entry, 320);
    PutU16(entry, 240);
    PutU32(entry, 0x00480000);
    PutU32(entry, 0x00480000);
    PutU32(entry, 0);
    PutU16(entry, 1);  // frame count
    Append(entry, Zeros(32));
    PutU16(entry, 0x18);
    PutU16(entry, 0xFFFF);
  } else if (handler == "soun") {
    format = "mp4a";
    Append(entry, Zeros(8));
    PutU16(entry, 2);   // channels
    PutU16(entry, 16);  // sample size
    PutU32(entry, 0);
    PutU32(entry, 48000u << 16);
  } else {
    format = "tx3g";
    PutU32(entry, 0);      // display flags
    PutU8(entry, 1);       // horizontal justification: centre
    PutU8(entry, 0xFF);    // vertical justification: bottom
    PutU32(entry, 0);      // background colour
    Append(entry, Zeros(8));  // default text box
    PutU16(entry, 0);      // style record: start char
    PutU16(entry, 0);      // end char
    PutU16(entry, 1);      // font id
    PutU8(entry, 0);       // face style
    PutU8(entry, 0x12);    // font size
    PutU32(entry, 0xFFFFFFFF);  // text colour
    Bytes ftab;
    PutU16(ftab, 1);
    PutU16(ftab, 1);
    PutU8(ftab, 5);
    PutText(ftab, "Serif");
    Append(entry, Box("ftab", ftab));
  }
  Bytes p;
  PutU32(p, 1);
  Append(p, Box(format, entry));
  return FullBox("stsd", 0, 0, p);
}

Bytes Hdlr(std::string_view handler, std::string_view name) {
  Bytes p;
  PutU32(p, 0);
  PutText(p, handler.substr(0, 4));
  Append(p, Zeros(12));
  PutText(p, name);
  PutU8(p, 0);
  return FullBox("hdlr", 0, 0, p);
}

Bytes TextSample(std::string_view text) {
  Bytes p;
  PutU16(p, static_cast<uint16_t>(text.size() > 0xFFFF ? 0xFFFF : text.size()));
  PutText(p, text);
  return p;
}

Bytes CommentUdta(const std::string& comment, const Bytes& ambaPayload) {
  return Box("udta", Cat({Box("AMBA", ambaPayload), Box("@CMT", Text(comment))}));
}

}  // namespace korvane::mp4write
