// korvane_mp4write: a small writer of ISO base media (MP4) boxes for tests, fixtures and the
// sample generator. Standard C++ only.
//
// Three levels:
//  - byte helpers and generic boxes (Box, FullBox, LargeBox), all big-endian, returning bytes;
//  - builders of a minimal track (trak with tkhd, mdia, mdhd, hdlr, minf, stbl with stsd, stts,
//    stsc, stsz, stco) and of whole synthetic files (BuildFile), with switches for deliberately
//    broken tables;
//  - in-place rewriting of an existing MP4 (as ffmpeg writes it): AddTextTrack and AddCommentBox.
//    Both keep every existing chunk offset valid: when moov is the last top-level box it is
//    rewritten in place (the file is cut at moov and the new data written there); otherwise the
//    old moov is turned into a "free" box of the same size and the new moov goes to the end.
//
// Every function throws std::runtime_error on an I/O error or on input it cannot handle.
// This interface is used by tests and by tools/make_samples: keep it stable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::mp4write {

using Bytes = std::vector<uint8_t>;

// ---- byte helpers (big-endian) -------------------------------------------------------------
void PutU8(Bytes& out, uint8_t v);
void PutU16(Bytes& out, uint16_t v);
void PutU32(Bytes& out, uint32_t v);
void PutU64(Bytes& out, uint64_t v);
void PutText(Bytes& out, std::string_view text);  // raw bytes, no terminator
void Append(Bytes& out, const Bytes& more);
Bytes U16(uint16_t v);
Bytes U32(uint32_t v);
Bytes U64(uint64_t v);
Bytes Text(std::string_view text);
Bytes Zeros(size_t count);
Bytes Cat(std::initializer_list<Bytes> parts);
uint32_t GetU32(const Bytes& in, size_t at);  // throws when out of range
uint64_t GetU64(const Bytes& in, size_t at);

// ---- generic boxes -------------------------------------------------------------------------
// type must be exactly four characters.
Bytes Box(std::string_view type, const Bytes& payload);                   // 32-bit size
Bytes FullBox(std::string_view type, uint8_t version, uint32_t flags, const Bytes& payload);
Bytes LargeBox(std::string_view type, const Bytes& payload);              // size 1 + largesize
// A header only, for boxes whose payload is written separately (e.g. sparse files):
Bytes BoxHeader(std::string_view type, uint32_t size32);
Bytes LargeBoxHeader(std::string_view type, uint64_t largesize);

// ---- single boxes --------------------------------------------------------------------------
struct SttsEntry {
  uint32_t count = 0;
  uint32_t delta = 0;
};
struct StscEntry {
  uint32_t firstChunk = 1;
  uint32_t samplesPerChunk = 1;
  uint32_t descriptionIndex = 1;
};
Bytes Ftyp();                                                  // isom, compatible isom/iso2/mp41
Bytes Mvhd(uint32_t timescale, uint32_t duration, uint32_t nextTrackId);
Bytes Stts(const std::vector<SttsEntry>& entries);
Bytes Stsc(const std::vector<StscEntry>& entries);
// count == nullopt writes sizes.size() as the count; a different count makes a broken table.
Bytes Stsz(const std::vector<uint32_t>& sizes, std::optional<uint32_t> count = std::nullopt);
Bytes Stco(const std::vector<uint32_t>& offsets, std::optional<uint32_t> count = std::nullopt);
// A sample description for the handler: "vide" → avc1-less dummy "mp4v", "soun" → "mp4a",
// "sbtl"/"text" → "tx3g" (the 3GPP timed text entry ffmpeg and GStreamer read).
Bytes Stsd(std::string_view handler);
Bytes Hdlr(std::string_view handler, std::string_view name);
Bytes TextSample(std::string_view text);  // 16-bit big-endian length + text bytes
// udta { AMBA { ambaPayload }, @CMT { comment } }: the camera's comment block.
Bytes CommentUdta(const std::string& comment, const Bytes& ambaPayload = Bytes(16, 0));

// ---- tracks --------------------------------------------------------------------------------
struct TrackSpec {
  std::string handler = "vide";  // "vide", "soun", "sbtl", "text", ...
  uint32_t trackId = 1;          // 0 = position in the file + 1
  uint32_t timescale = 1000;
  uint32_t sampleDelta = 100;    // used when stts is empty
  std::vector<Bytes> samples;    // sample data; one sample per chunk, stored in the mdat
  // Overrides for deliberately unusual tables (nullopt = derived from samples):
  std::optional<std::vector<SttsEntry>> stts;          // default: one entry {n, sampleDelta}
  std::optional<uint32_t> stszCount;                   // count field written into stsz
  std::optional<uint32_t> stcoCount;                   // count field written into stco
  std::optional<std::vector<uint32_t>> sampleSizes;    // stsz entries written
  std::optional<std::vector<uint32_t>> chunkOffsets;   // stco entries written
  std::optional<Bytes> rawStbl;                        // complete stbl box used as is
};
// The trak box for a track whose chunks (one per sample) start at the given file offsets.
Bytes Trak(const TrackSpec& track, const std::vector<uint32_t>& offsets, uint32_t movieTimescale);

// ---- whole files ---------------------------------------------------------------------------
struct FileSpec {
  std::vector<TrackSpec> tracks;
  std::vector<Bytes> moovBeforeTracks;  // whole boxes placed in moov after mvhd (e.g. a udta)
  std::vector<Bytes> moovAfterTracks;   // whole boxes placed at the end of moov
  bool moovFirst = false;               // ftyp, moov, mdat (else ftyp, mdat, moov)
  std::vector<Bytes> topAfter;          // whole top-level boxes appended after everything
};
// Lays out ftyp, the mdat with every sample of every track (track by track) and the moov.
Bytes BuildFile(const FileSpec& spec);

// ---- files ---------------------------------------------------------------------------------
void WriteFile(const std::string& path, const Bytes& data);
Bytes ReadFile(const std::string& path);
// Writes pieces at given offsets into a file of totalSize bytes; the gaps stay holes (sparse).
struct Piece {
  uint64_t offset = 0;
  Bytes data;
};
void WriteSparseFile(const std::string& path, const std::vector<Piece>& pieces, uint64_t totalSize);

// ---- box listing ---------------------------------------------------------------------------
struct BoxInfo {
  std::string type;
  uint64_t offset = 0;      // of the header
  uint64_t size = 0;        // whole box
  uint32_t headerSize = 8;  // 8 or 16
};
// Top-level boxes of a file (stops at the first malformed header).
std::vector<BoxInfo> ListTopLevel(const std::string& path);
// Children inside data[begin, end).
std::vector<BoxInfo> ListChildren(const Bytes& data, size_t begin, size_t end);

// ---- rewriting existing files --------------------------------------------------------------
// Adds a timed-text track after the last existing trak (the third track of a video+audio file):
// handler "sbtl", sample entry "tx3g", one sample per chunk, a single stts entry
// {samples.size(), sampleDuration} in the given media timescale. Each sample is TextSample(text);
// the sample data goes into a new mdat. mvhd's next track ID is raised.
void AddTextTrack(const std::string& path, const std::vector<std::string>& samples,
                  uint32_t sampleDuration, uint32_t timescale);

enum class UdtaPlace {
  BeforeTracks,  // right after mvhd: the comment is seen before any track is counted
  AfterTracks,   // right after the last trak, before any udta ffmpeg wrote
  End            // at the end of moov
};
// Adds CommentUdta(payload) to moov.
void AddCommentBox(const std::string& path, const std::string& payload,
                   UdtaPlace place = UdtaPlace::BeforeTracks);

}  // namespace korvane::mp4write
