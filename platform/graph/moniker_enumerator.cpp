#include "platform/graph/moniker_enumerator.h"

namespace platform {

HRESULT MonikerEnumerator::Reset() {
  std::lock_guard lock(m_lock);
  m_next = 0;
  return S_OK;
}

HRESULT MonikerEnumerator::Next(std::shared_ptr<IMoniker>& moniker) {
  std::lock_guard lock(m_lock);
  if (m_next >= m_monikers.size()) {
    moniker.reset();
    return S_FALSE;
  }
  moniker = m_monikers[m_next++];
  return S_OK;
}

}  // namespace platform
