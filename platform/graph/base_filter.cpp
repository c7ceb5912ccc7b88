#include "platform/graph/base_filter.h"

namespace platform {

BaseFilter::~BaseFilter() {
  // Only this filter's own sides: a peer's side is left to its filter, because
  // breaking it could wait for a delivery the destroying thread is part of. The
  // peer then points at a pin whose filter is gone, and such a pin drops samples.
  for (const auto& pin : m_pins) pin->Disconnect();
}

HRESULT BaseFilter::EnumPins(std::vector<std::shared_ptr<IPin>>& pins) {
  pins.assign(m_pins.begin(), m_pins.end());
  return S_OK;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO& info) {
  std::lock_guard lock(m_infoLock);
  info.achName = m_name;
  info.pGraph = m_graph;
  return S_OK;
}

std::shared_ptr<Pin> BaseFilter::FindPin(PIN_DIRECTION direction, const QString& name) const {
  for (const auto& pin : m_pins) {
    if (pin->Direction() == direction && pin->Name() == name) return pin;
  }
  return nullptr;
}

bool BaseFilter::JoinGraph(IGraphBuilder* graph, const QString& name) {
  std::lock_guard lock(m_infoLock);
  if (m_graph || !graph) return false;
  m_graph = graph;
  m_name = name;
  return true;
}

void BaseFilter::LeaveGraph() {
  std::lock_guard lock(m_infoLock);
  m_graph = nullptr;
  m_name.clear();
}

IGraphBuilder* BaseFilter::Graph() const {
  std::lock_guard lock(m_infoLock);
  return m_graph;
}

HRESULT BaseFilter::Run() {
  SetRunning(true);
  return S_OK;
}

void BaseFilter::Stop() { SetRunning(false); }

HRESULT BaseFilter::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  (void)mt;
  return E_FAIL;
}

bool BaseFilter::CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) {
  (void)input;
  (void)mt;
  return true;
}

void BaseFilter::Receive(const Pin& input, const MediaSample& sample) {
  (void)input;
  (void)sample;
}

std::shared_ptr<Pin> BaseFilter::AddPin(PIN_DIRECTION direction, const QString& name, GUID category) {
  auto pin = std::make_shared<Pin>(weak_from_this(), direction, name, category);
  m_pins.push_back(pin);
  return pin;
}

void BaseFilter::AddPin(std::shared_ptr<Pin> pin) { m_pins.push_back(std::move(pin)); }

}  // namespace platform
