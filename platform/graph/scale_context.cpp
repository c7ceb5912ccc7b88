#include "platform/graph/scale_context.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace platform {

SwsContext* ScaleContext::Get(int width, int height, AVPixelFormat source, bool sourceFullRange,
                              AVPixelFormat destination, int flags) {
  if (m_context && width == m_width && height == m_height && source == m_source &&
      sourceFullRange == m_sourceFullRange && destination == m_destination && flags == m_flags) {
    return m_context.get();
  }
  m_context.reset();
  // The range is an option set before the context is initialised, so the colour
  // tables are built once, for the right range.
  AvPtr<SwsContext> context(sws_alloc_context());
  if (!context) return nullptr;
  SwsContext* c = context.get();
  const bool ok = av_opt_set_int(c, "srcw", width, 0) >= 0 && av_opt_set_int(c, "srch", height, 0) >= 0 &&
                  av_opt_set_int(c, "src_format", source, 0) >= 0 && av_opt_set_int(c, "dstw", width, 0) >= 0 &&
                  av_opt_set_int(c, "dsth", height, 0) >= 0 &&
                  av_opt_set_int(c, "dst_format", destination, 0) >= 0 &&
                  av_opt_set_int(c, "src_range", sourceFullRange ? 1 : 0, 0) >= 0 &&
                  av_opt_set_int(c, "sws_flags", flags, 0) >= 0 && sws_init_context(c, nullptr, nullptr) >= 0;
  if (!ok) return nullptr;
  m_context = std::move(context);
  m_width = width;
  m_height = height;
  m_source = source;
  m_sourceFullRange = sourceFullRange;
  m_destination = destination;
  m_flags = flags;
  return m_context.get();
}

}  // namespace platform
