// Delimiting AAC frames in raw media data with libavcodec's decoder: a raw AAC frame carries no
// length, so the frames are found by decoding them. Bytes from a position on are given to the
// decoder as one packet; it decodes frame after frame and reports, with each frame, how much of
// the packet was left when the frame began, which gives every frame's start. The last frame's end
// is found by decoding it alone from ever shorter packets.
//
// Nothing a rejected candidate did to the decoder outlives it: a candidate whose first syntax
// element cannot begin a frame of the configured layout (a program config element, which would
// switch the decoder to another channel layout, among them) never reaches the decoder, and after
// any decoder error or any frame of another channel count or sample rate the decoder is opened
// anew before the next candidate.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mp4repair/box_io.h"

struct AVFrame;

namespace korvane::repair {

class AudioProbe {
 public:
  AudioProbe();
  ~AudioProbe();
  AudioProbe(const AudioProbe&) = delete;
  AudioProbe& operator=(const AudioProbe&) = delete;

  // Opens the AAC decoder for the given AudioSpecificConfig. False when it cannot.
  bool Open(const Bytes& audioConfig, int channels, int sampleRate);
  // The sizes of the whole frames that decode one after another from the start of
  // data[0, size), at most `maxFrames`. Empty when no frame decodes at the start.
  std::vector<uint32_t> Frames(const uint8_t* data, uint64_t size, size_t maxFrames);

 private:
  // True when data[0, size) decodes as one frame from the start.
  bool DecodesOne(const uint8_t* data, uint64_t size);
  bool Send(const uint8_t* data, uint64_t size);
  bool Reopen();
  // Whether a raw frame may start with this byte: its first syntax element fits the layout.
  bool PlausibleStart(uint8_t first) const;
  bool Fits(const AVFrame* frame) const;
  struct State;
  std::unique_ptr<State> state_;
  Bytes config_;
  int entryChannels_ = 0, entryRate_ = 0;
  int channels_ = 0;    // from the AudioSpecificConfig (0: it does not say)
  int rate_ = 0;        // sampling frequency of the AudioSpecificConfig (0: unknown)
  bool tainted_ = false;  // the last candidate left the decoder in a state of its own
};

}  // namespace korvane::repair
