// File helpers, box listing and the in-place rewriting of existing recordings.
#include "tools/mp4write/mp4write.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace korvane::mp4write {

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("mp4write: cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("mp4write: cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteSparseFile(const std::string& path, const std::vector<Piece>& pieces, uint64_t totalSize) {
  { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
  std::filesystem::resize_file(path, totalSize);
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const Piece& p : pieces) {
    out.seekp(static_cast<std::streamoff>(p.offset));
    out.write(reinterpret_cast<const char*>(p.data.data()), static_cast<std::streamsize>(p.data.size()));
  }
  if (!out) throw std::runtime_error("mp4write: cannot write " + path);
}

std::vector<BoxInfo> ListChildren(const Bytes& data, size_t begin, size_t end) {
  std::vector<BoxInfo> boxes;
  size_t at = begin;
  end = std::min(end, data.size());
  while (at + 8 <= end) {
    BoxInfo b;
    b.offset = at;
    b.size = GetU32(data, at);
    b.type.assign(reinterpret_cast<const char*>(&data[at + 4]), 4);
    if (b.size == 1) {
      if (at + 16 > end) break;
      b.size = GetU64(data, at + 8);
      b.headerSize = 16;
    } else if (b.size == 0) {
      b.size = end - at;
    }
    if (b.size < b.headerSize || b.size > end - at) break;
    boxes.push_back(b);
    at += b.size;
  }
  return boxes;
}

std::vector<BoxInfo> ListTopLevel(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("mp4write: cannot read " + path);
  const uint64_t fileSize = std::filesystem::file_size(path);
  std::vector<BoxInfo> boxes;
  uint64_t at = 0;
  while (at + 8 <= fileSize) {
    Bytes head(16, 0);
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(std::min<uint64_t>(16, fileSize - at)));
    in.clear();
    BoxInfo b;
    b.offset = at;
    b.size = GetU32(head, 0);
    b.type.assign(reinterpret_cast<const char*>(&head[4]), 4);
    if (b.size == 1) {
      b.size = GetU64(head, 8);
      b.headerSize = 16;
    } else if (b.size == 0) {
      b.size = fileSize - at;
    }
    if (b.size < b.headerSize || b.size > fileSize - at) break;
    boxes.push_back(b);
    at += b.size;
  }
  return boxes;
}

namespace {

// Rewrites moov through `edit` (which gets the moov's children and their bytes and returns the
// new moov payload). `mdatPayload`, when not empty, becomes a new mdat placed before the new
// moov; `edit` learns the file offset of its first byte. Existing media data never moves.
void RewriteMoov(const std::string& path, const Bytes& mdatPayload,
                 const std::function<Bytes(const Bytes& moovPayload,
                                           const std::vector<BoxInfo>& children,
                                           uint64_t mdatDataOffset)>& edit) {
  const std::vector<BoxInfo> top = ListTopLevel(path);
  const uint64_t fileSize = std::filesystem::file_size(path);
  const BoxInfo* moov = nullptr;
  for (const BoxInfo& b : top)
    if (b.type == "moov") moov = &b;
  if (!moov) throw std::runtime_error("mp4write: no moov in " + path);
  const bool moovLast = moov->offset + moov->size == fileSize;

  Bytes payload(moov->size - moov->headerSize);
  {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(moov->offset + moov->headerSize));
    in.read(reinterpret_cast<char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
    if (!in) throw std::runtime_error("mp4write: cannot read moov of " + path);
  }
  const uint64_t base = moovLast ? moov->offset : fileSize;
  const Bytes children_payload = payload;
  const Bytes newPayload = edit(children_payload, ListChildren(payload, 0, payload.size()), base + 8);

  Bytes tail;
  if (!mdatPayload.empty()) Append(tail, Box("mdat", mdatPayload));
  Append(tail, Box("moov", newPayload));

  if (moovLast) {
    std::filesystem::resize_file(path, moov->offset);
  } else {
    // Keep the old moov's bytes in place as free space so nothing behind it moves.
    std::fstream patch(path, std::ios::binary | std::ios::in | std::ios::out);
    patch.seekp(static_cast<std::streamoff>(moov->offset + 4));
    patch.write("free", 4);
    if (!patch) throw std::runtime_error("mp4write: cannot patch " + path);
  }
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
  if (!out) throw std::runtime_error("mp4write: cannot write " + path);
}

Bytes Slice(const Bytes& data, const BoxInfo& b) {
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(b.offset),
               data.begin() + static_cast<std::ptrdiff_t>(b.offset + b.size));
}

}  // namespace

void AddTextTrack(const std::string& path, const std::vector<std::string>& samples,
                  uint32_t sampleDuration, uint32_t timescale) {
  Bytes mdat;
  std::vector<uint32_t> sizes;
  for (const std::string& s : samples) {
    Bytes sample = TextSample(s);
    sizes.push_back(static_cast<uint32_t>(sample.size()));
    Append(mdat, sample);
  }
  RewriteMoov(path, mdat, [&](const Bytes& payload, const std::vector<BoxInfo>& children,
                              uint64_t dataOffset) {
    if (dataOffset + mdat.size() > 0xFFFFFFFFull)
      throw std::runtime_error("mp4write: text samples would lie beyond 4 GiB");
    uint32_t movieTimescale = 1000;
    uint32_t nextTrackId = 0;
    size_t insertAt = 0;
    int traks = 0;
    Bytes mvhd;
    for (size_t i = 0; i < children.size(); ++i) {
      const BoxInfo& c = children[i];
      if (c.type == "mvhd") {
        mvhd = Slice(payload, c);
        const size_t tsAt = mvhd[8] == 1 ? 8 + 4 + 16 : 8 + 4 + 8;
        movieTimescale = GetU32(mvhd, tsAt);
        nextTrackId = GetU32(mvhd, mvhd.size() - 4);
        insertAt = i + 1;
      }
      if (c.type == "trak") {
        ++traks;
        insertAt = i + 1;
      }
    }
    if (nextTrackId == 0 || nextTrackId == 0xFFFFFFFF) nextTrackId = static_cast<uint32_t>(traks + 1);
    TrackSpec text;
    text.handler = "sbtl";
    text.trackId = nextTrackId;
    text.timescale = timescale;
    text.sampleDelta = sampleDuration;
    text.samples.resize(samples.size());  // only the count matters for the default stts
    text.sampleSizes = sizes;
    std::vector<uint32_t> offsets;
    uint64_t at = dataOffset;
    for (uint32_t s : sizes) {
      offsets.push_back(static_cast<uint32_t>(at));
      at += s;
    }
    Bytes out;
    for (size_t i = 0; i < children.size(); ++i) {
      Bytes box = Slice(payload, children[i]);
      if (children[i].type == "mvhd") {
        const uint32_t raised = nextTrackId + 1;
        for (int k = 0; k < 4; ++k) box[box.size() - 4 + k] = static_cast<uint8_t>(raised >> (24 - 8 * k));
      }
      Append(out, box);
      if (i + 1 == insertAt) Append(out, Trak(text, offsets, movieTimescale));
    }
    if (insertAt == 0) Append(out, Trak(text, offsets, movieTimescale));
    return out;
  });
}

void AddCommentBox(const std::string& path, const std::string& payload, UdtaPlace place) {
  const Bytes udta = CommentUdta(payload);
  RewriteMoov(path, {}, [&](const Bytes& moov, const std::vector<BoxInfo>& children, uint64_t) {
    size_t insertAt = place == UdtaPlace::End ? children.size() : 0;
    for (size_t i = 0; i < children.size() && place != UdtaPlace::End; ++i) {
      if (place == UdtaPlace::BeforeTracks && children[i].type == "mvhd") insertAt = i + 1;
      if (place == UdtaPlace::AfterTracks && children[i].type == "trak") insertAt = i + 1;
    }
    Bytes out;
    for (size_t i = 0; i <= children.size(); ++i) {
      if (i == insertAt) Append(out, udta);
      if (i < children.size()) Append(out, Slice(moov, children[i]));
    }
    return out;
  });
}

}  // namespace korvane::mp4write
