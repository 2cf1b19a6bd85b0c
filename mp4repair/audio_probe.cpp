// AAC frame delimiting by decoding (libavcodec).
#include "mp4repair/audio_probe.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace korvane::repair {

namespace {

constexpr int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};

// The sampling frequency of an AudioSpecificConfig (0 when it does not say).
int ConfiguredRate(const Bytes& config) {
  if (config.size() < 2) return 0;
  const uint32_t bits = (uint32_t{config[0]} << 8) | config[1];
  if ((bits >> 11) == 31) return 0;  // escaped object type: not a camera's
  const uint32_t index = (bits >> 7) & 15;
  return index < 13 ? kRates[index] : 0;
}

// The channel configuration of an AudioSpecificConfig (0 when it does not say).
int ConfiguredChannels(const Bytes& config) {
  if (config.size() < 2) return 0;
  const uint32_t bits = (uint32_t{config[0]} << 24) | (uint32_t{config[1]} << 16) |
                        (config.size() > 2 ? uint32_t{config[2]} << 8 : 0) | (config.size() > 3 ? config[3] : 0);
  int at = 5;
  if ((bits >> 27) == 31) at += 6;      // escaped object type
  const int rateIndex = int((bits >> (32 - at - 4)) & 15);
  at += 4;
  if (rateIndex == 15) {
    if (config.size() < 6) return 0;
    at += 24;
    if (at + 4 > 32) return 0;
  }
  const int channelConfig = int((bits >> (32 - at - 4)) & 15);
  static const int kChannels[] = {0, 1, 2, 3, 4, 5, 6, 8};
  return channelConfig < 8 ? kChannels[channelConfig] : 0;
}

}  // namespace

struct AudioProbe::State {
  const AVCodec* codec = nullptr;
  AVCodecContext* context = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  ~State() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
  }
};

AudioProbe::AudioProbe() = default;
AudioProbe::~AudioProbe() = default;

bool AudioProbe::Open(const Bytes& audioConfig, int channels, int sampleRate) {
  // Bytes that are not audio make the decoder complain on every try; those are expected here.
  av_log_set_level(AV_LOG_QUIET);
  config_ = audioConfig;
  entryChannels_ = channels;
  entryRate_ = sampleRate;
  // The sample entry's channel count is often a fixed 2; the decoder configuration tells.
  channels_ = ConfiguredChannels(audioConfig);
  rate_ = ConfiguredRate(audioConfig);
  return Reopen();
}

bool AudioProbe::Reopen() {
  tainted_ = false;
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
  if (!s.codec) return false;
  s.context = avcodec_alloc_context3(s.codec);
  s.packet = av_packet_alloc();
  s.frame = av_frame_alloc();
  if (!s.context || !s.packet || !s.frame) return false;
  if (!config_.empty()) {
    s.context->extradata = static_cast<uint8_t*>(av_mallocz(config_.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!s.context->extradata) return false;
    std::memcpy(s.context->extradata, config_.data(), config_.size());
    s.context->extradata_size = int(config_.size());
  }
  s.context->sample_rate = entryRate_;
  av_channel_layout_default(&s.context->ch_layout, entryChannels_ > 0 ? entryChannels_ : 2);
  if (avcodec_open2(s.context, s.codec, nullptr) != 0) {
    avcodec_free_context(&s.context);
    return false;
  }
  return true;
}

bool AudioProbe::PlausibleStart(uint8_t first) const {
  // Syntax element ids: SCE 0, CPE 1, CCE 2, LFE 3, DSE 4, PCE 5, FIL 6, END 7.
  switch (first >> 5) {
    case 0: return channels_ != 2;
    case 1: return channels_ != 1;
    case 4: case 6: return true;
    case 5: return channels_ == 0;  // a layout of its own only where the configuration has none
    default: return false;
  }
}

bool AudioProbe::Fits(const AVFrame* frame) const {
  // HE-AAC doubles the configured core rate.
  return (channels_ <= 0 || frame->ch_layout.nb_channels == channels_) &&
         (rate_ <= 0 || frame->sample_rate == rate_ || frame->sample_rate == 2 * rate_);
}

bool AudioProbe::Send(const uint8_t* data, uint64_t size) {
  if (tainted_ && !Reopen()) return false;
  if (!state_ || !state_->context) return false;
  State& s = *state_;
  avcodec_flush_buffers(s.context);
  av_packet_unref(s.packet);
  if (av_new_packet(s.packet, int(size)) != 0) return false;
  std::memcpy(s.packet->data, data, size);
  return avcodec_send_packet(s.context, s.packet) == 0;
}

bool AudioProbe::DecodesOne(const uint8_t* data, uint64_t size) {
  if (size == 0 || !PlausibleStart(data[0])) return false;
  if (!Send(data, size)) {
    tainted_ = true;
    return false;
  }
  const int r = avcodec_receive_frame(state_->context, state_->frame);
  const bool ok = r == 0 && Fits(state_->frame);
  tainted_ = tainted_ || (r != 0 && r != AVERROR(EAGAIN)) || (r == 0 && !ok);
  av_frame_unref(state_->frame);
  return ok;
}

std::vector<uint32_t> AudioProbe::Frames(const uint8_t* data, uint64_t size, size_t maxFrames) {
  std::vector<uint32_t> sizes;
  if (!state_ || size == 0 || size > (1u << 30) || !PlausibleStart(data[0])) return sizes;
  if (!Send(data, size)) {
    tainted_ = true;
    return sizes;
  }
  State& s = *state_;
  std::vector<uint64_t> starts;
  bool consumedAll = false;
  while (starts.size() <= maxFrames) {
    const int r = avcodec_receive_frame(s.context, s.frame);
    if (r == AVERROR(EAGAIN)) {
      consumedAll = true;
      break;
    }
    if (r != 0) {
      tainted_ = true;
      break;
    }
    const bool ok = Fits(s.frame);
    tainted_ = tainted_ || !ok;
    // The decoder tells, with each frame, how many bytes of the packet were left when it began.
    const uint64_t left = uint64_t(s.frame->pkt_size);
    av_frame_unref(s.frame);
    if (!ok || left == 0 || left > size) break;
    const uint64_t start = size - left;
    if (start < size && !PlausibleStart(data[start])) break;
    if (!starts.empty() && start <= starts.back()) break;
    starts.push_back(start);
  }
  for (size_t i = 0; i + 1 < starts.size() && sizes.size() < maxFrames; ++i)
    sizes.push_back(uint32_t(starts[i + 1] - starts[i]));
  if (starts.empty() || sizes.size() >= maxFrames) return sizes;
  // The last frame: its end is where the packet ran out, or the shortest packet that decodes.
  const uint64_t last = starts.back();
  if (consumedAll) {
    sizes.push_back(uint32_t(size - last));
    return sizes;
  }
  // A raw AAC frame holds at most 6144 bits per channel.
  const uint64_t most = 768u * uint64_t(channels_ > 0 ? channels_ : 8);
  uint64_t lo = 1, hi = std::min<uint64_t>(size - last, most);
  if (!DecodesOne(data + last, hi)) return sizes;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    if (DecodesOne(data + last, mid)) hi = mid; else lo = mid + 1;
  }
  sizes.push_back(uint32_t(lo));
  return sizes;
}

}  // namespace korvane::repair
