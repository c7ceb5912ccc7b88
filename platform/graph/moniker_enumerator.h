// An enumerator over a fixed list of device monikers.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/interfaces.h"

namespace platform {

class MonikerEnumerator final : public IEnumMoniker {
 public:
  explicit MonikerEnumerator(std::vector<std::shared_ptr<IMoniker>> monikers) : m_monikers(std::move(monikers)) {}

  HRESULT Reset() override;
  HRESULT Next(std::shared_ptr<IMoniker>& moniker) override;

 private:
  const std::vector<std::shared_ptr<IMoniker>> m_monikers;
  std::mutex m_lock;
  std::size_t m_next = 0;
};

}  // namespace platform
