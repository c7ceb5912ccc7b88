// The null renderer: one input pin that accepts any type and discards every sample.
#pragma once

#include <memory>

#include "platform/graph/base_filter.h"

namespace platform {

class NullRenderer final : public BaseFilter {
 public:
  static std::shared_ptr<NullRenderer> Create();

 private:
  NullRenderer() = default;
};

}  // namespace platform
