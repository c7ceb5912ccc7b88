// Reads a video file back with FFmpeg's own demuxer and decoder, for the writer's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/rational.h>
}

namespace mpegtest {

struct DecodedVideo {
  bool ok = false;  // opened, stream info found, every packet decoded without error
  std::string container;  // the demuxer's short name
  int streams = 0;
  int videoStreams = 0;
  AVCodecID codec = AV_CODEC_ID_NONE;
  AVRational frameRate{0, 1};  // the stream's r_frame_rate
  AVRational timeBase{0, 1};
  int width = 0;
  int height = 0;
  int frames = 0;
  int bFrames = 0;
  std::vector<std::int64_t> packetTimes;  // decoding time stamp of each video packet, in timeBase
  // Planes of frame keepFrame, rows packed (chroma planes are width/2 x height/2).
  std::vector<std::uint8_t> y, u, v;
};

DecodedVideo DecodeVideoFile(const std::string& path, int keepFrame = 0);

// Mean of the samples of a packed plane in columns [x0, x1) and rows [y0, y1).
double PlaneMean(const std::vector<std::uint8_t>& plane, int planeWidth, int x0, int y0, int x1, int y1);

}  // namespace mpegtest
