// One libswscale conversion (same size in and out), made again only when the size,
// the pixel formats or the source range change.
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "platform/graph/ffmpeg_ptr.h"

namespace platform {

class ScaleContext {
 public:
  // The context for width × height from source to destination format; the source is
  // full range (JPEG) or limited range (video); flags are libswscale's SWS_*. Null
  // when it cannot be made.
  SwsContext* Get(int width, int height, AVPixelFormat source, bool sourceFullRange, AVPixelFormat destination,
                  int flags);

 private:
  AvPtr<SwsContext> m_context;
  int m_width = 0;
  int m_height = 0;
  AVPixelFormat m_source = AV_PIX_FMT_NONE;
  bool m_sourceFullRange = false;
  AVPixelFormat m_destination = AV_PIX_FMT_NONE;
  int m_flags = 0;
};

}  // namespace platform
