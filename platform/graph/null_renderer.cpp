#include "platform/graph/null_renderer.h"

namespace platform {

std::shared_ptr<NullRenderer> NullRenderer::Create() {
  std::shared_ptr<NullRenderer> renderer(new NullRenderer());
  renderer->AddPin(PINDIR_INPUT, QStringLiteral("In"));
  return renderer;
}

}  // namespace platform
