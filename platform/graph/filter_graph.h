// The filter graph: filters held by name in the order added, their connections,
// and running and stopping them (IGraphBuilder and IMediaControl in one object).
#pragma once

#include <QString>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/base_filter.h"
#include "platform/graph/interfaces.h"

namespace platform {

class FilterGraph final : public IGraphBuilder, public IMediaControl {
 public:
  FilterGraph() = default;
  // Stops the graph and removes every filter (their connections broken).
  ~FilterGraph() override;
  FilterGraph(const FilterGraph&) = delete;
  FilterGraph& operator=(const FilterGraph&) = delete;

  // E_INVALIDARG for a filter of another kind or one already in a graph.
  HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const QString& name) override;
  // A running filter is stopped first; VFW_E_NOT_IN_GRAPH when it is not in this graph.
  HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override;
  HRESULT Disconnect(const std::shared_ptr<IPin>& pin) override;
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& filters) override;
  HRESULT FindFilterByName(const QString& name, std::shared_ptr<IBaseFilter>& filter) override;

  // Starts every filter, downstream ones before the sources; when a source cannot
  // start, everything is stopped again and its failure returned.
  HRESULT Run() override;
  // Stops the sources first (each returns after its last sample), then the rest.
  HRESULT Stop() override;

  bool IsRunning() const;

 private:
  struct Entry {
    std::shared_ptr<BaseFilter> filter;
    QString name;
  };

  void StopLocked();
  std::vector<Entry>::iterator FindLocked(const IBaseFilter* filter);
  QString UniqueNameLocked(const QString& base) const;

  mutable std::mutex m_lock;  // control calls only; streaming threads never take it
  std::vector<Entry> m_filters;
  bool m_running = false;
};

}  // namespace platform
