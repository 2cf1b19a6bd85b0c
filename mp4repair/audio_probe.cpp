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
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
  if (!s.codec) return false;
  s.context = avcodec_alloc_context3(s.codec);
  s.packet = av_packet_alloc();
  s.frame = av_frame_alloc();
  if (!s.context || !s.packet || !s.frame) return false;
  if (!audioConfig.empty()) {
    s.context->extradata = static_cast<uint8_t*>(av_mallocz(audioConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!s.context->extradata) return false;
    std::memcpy(s.context->extradata, audioConfig.data(), audioConfig.size());
    s.context->extradata_size = int(audioConfig.size());
  }
  s.context->sample_rate = sampleRate;
  av_channel_layout_default(&s.context->ch_layout, channels > 0 ? channels : 2);
  // The sample entry's channel count is often a fixed 2; the decoder configuration tells.
  channels_ = ConfiguredChannels(audioConfig);
  return avcodec_open2(s.context, s.codec, nullptr) == 0;
}

bool AudioProbe::Send(const uint8_t* data, uint64_t size) {
  State& s = *state_;
  avcodec_flush_buffers(s.context);
  av_packet_unref(s.packet);
  if (av_new_packet(s.packet, int(size)) != 0) return false;
  std::memcpy(s.packet->data, data, size);
  return avcodec_send_packet(s.context, s.packet) == 0;
}

bool AudioProbe::DecodesOne(const uint8_t* data, uint64_t size) {
  if (!Send(data, size)) return false;
  const int r = avcodec_receive_frame(state_->context, state_->frame);
  const bool ok = r == 0 && (channels_ <= 0 || state_->frame->ch_layout.nb_channels == channels_);
  av_frame_unref(state_->frame);
  return ok;
}

std::vector<uint32_t> AudioProbe::Frames(const uint8_t* data, uint64_t size, size_t maxFrames) {
  std::vector<uint32_t> sizes;
  if (!state_ || !state_->context || size == 0 || size > (1u << 30)) return sizes;
  if (!Send(data, size)) return sizes;
  State& s = *state_;
  std::vector<uint64_t> starts;
  bool consumedAll = false;
  while (starts.size() <= maxFrames) {
    const int r = avcodec_receive_frame(s.context, s.frame);
    if (r == AVERROR(EAGAIN)) {
      consumedAll = true;
      break;
    }
    if (r != 0) break;
    const bool ok = channels_ <= 0 || s.frame->ch_layout.nb_channels == channels_;
    // The decoder tells, with each frame, how many bytes of the packet were left when it began.
    const uint64_t left = uint64_t(s.frame->pkt_size);
    av_frame_unref(s.frame);
    if (!ok || left == 0 || left > size) break;
    const uint64_t start = size - left;
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
