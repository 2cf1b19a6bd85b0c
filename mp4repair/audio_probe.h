// Delimiting AAC frames in raw media data with libavcodec's decoder: a raw AAC frame carries no
// length, so the frames are found by decoding them. Bytes from a position on are given to the
// decoder as one packet; it decodes frame after frame and reports, with each frame, how much of
// the packet was left when the frame began, which gives every frame's start. The last frame's end
// is found by decoding it alone from ever shorter packets.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mp4repair/box_io.h"

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
  struct State;
  std::unique_ptr<State> state_;
  int channels_ = 0;
};

}  // namespace korvane::repair
