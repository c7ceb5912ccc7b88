#include "platform/graph/filter_graph.h"

#include <algorithm>

namespace platform {

FilterGraph::~FilterGraph() {
  std::lock_guard lock(m_lock);
  StopLocked();
  for (const Entry& entry : m_filters) {
    for (const auto& pin : entry.filter->Pins()) pin->DisconnectBothSides();
    entry.filter->LeaveGraph();
  }
  m_filters.clear();
}

HRESULT FilterGraph::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const QString& name) {
  if (!filter) return E_POINTER;
  auto base = std::dynamic_pointer_cast<BaseFilter>(filter);
  if (!base) return E_INVALIDARG;

  std::lock_guard lock(m_lock);
  QString finalName = name;
  if (finalName.isEmpty()) {
    finalName = UniqueNameLocked(QStringLiteral("Filter"));
  } else if (std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.name == name; })) {
    return VFW_E_DUPLICATE_NAME;
  }
  if (!base->JoinGraph(this, finalName)) return E_INVALIDARG;  // already in a graph
  m_filters.push_back(Entry{std::move(base), finalName});
  return S_OK;
}

HRESULT FilterGraph::RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) {
  if (!filter) return E_POINTER;
  std::lock_guard lock(m_lock);
  const auto it = FindLocked(filter.get());
  if (it == m_filters.end()) return VFW_E_NOT_IN_GRAPH;
  const std::shared_ptr<BaseFilter> base = it->filter;
  if (base->IsRunning()) base->Stop();
  for (const auto& pin : base->Pins()) pin->DisconnectBothSides();
  base->LeaveGraph();
  m_filters.erase(it);
  return S_OK;
}

HRESULT FilterGraph::Disconnect(const std::shared_ptr<IPin>& pin) {
  if (!pin) return E_POINTER;
  const auto ours = std::dynamic_pointer_cast<Pin>(pin);
  if (!ours) return E_INVALIDARG;
  return ours->Disconnect();
}

HRESULT FilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& filters) {
  std::lock_guard lock(m_lock);
  filters.clear();
  for (const Entry& entry : m_filters) filters.push_back(entry.filter);
  return S_OK;
}

HRESULT FilterGraph::FindFilterByName(const QString& name, std::shared_ptr<IBaseFilter>& filter) {
  std::lock_guard lock(m_lock);
  for (const Entry& entry : m_filters) {
    if (entry.name == name) {
      filter = entry.filter;
      return S_OK;
    }
  }
  filter.reset();
  return E_FAIL;
}

HRESULT FilterGraph::Run() {
  std::lock_guard lock(m_lock);
  if (m_running) return S_OK;
  // Downstream filters first, so that the first sample finds them running.
  for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
    if (!it->filter->IsSource()) it->filter->Run();
  }
  for (const Entry& entry : m_filters) {
    if (!entry.filter->IsSource()) continue;
    const HRESULT hr = entry.filter->Run();
    if (FAILED(hr)) {
      StopLocked();
      return hr;
    }
  }
  m_running = true;
  return S_OK;
}

HRESULT FilterGraph::Stop() {
  std::lock_guard lock(m_lock);
  StopLocked();
  return S_OK;
}

bool FilterGraph::IsRunning() const {
  std::lock_guard lock(m_lock);
  return m_running;
}

void FilterGraph::StopLocked() {
  // Sources first: once they return, no sample is in flight anywhere downstream.
  for (const Entry& entry : m_filters) {
    if (entry.filter->IsSource()) entry.filter->Stop();
  }
  for (const Entry& entry : m_filters) {
    if (!entry.filter->IsSource()) entry.filter->Stop();
  }
  m_running = false;
}

std::vector<FilterGraph::Entry>::iterator FilterGraph::FindLocked(const IBaseFilter* filter) {
  return std::find_if(m_filters.begin(), m_filters.end(),
                      [&](const Entry& e) { return static_cast<const IBaseFilter*>(e.filter.get()) == filter; });
}

QString FilterGraph::UniqueNameLocked(const QString& base) const {
  QString name = base;
  for (int n = 1; std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.name == name; });
       ++n) {
    name = QStringLiteral("%1 %2").arg(base).arg(n, 4, 10, QLatin1Char('0'));
  }
  return name;
}

}  // namespace platform
