#include "platform/graph/media_sample.h"

namespace platform {

HRESULT MediaSample::GetPointer(std::uint8_t** buffer) {
  if (!buffer) return E_POINTER;
  // The interface hands out a writable pointer; receivers only read it.
  *buffer = const_cast<std::uint8_t*>(m_data);
  return S_OK;
}

}  // namespace platform
