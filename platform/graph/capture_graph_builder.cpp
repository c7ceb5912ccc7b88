#include "platform/graph/capture_graph_builder.h"

#include "platform/graph/smart_tee.h"

namespace platform {
namespace {

bool MajorTypeMatches(const Pin& pin, const GUID* type) {
  if (!type) return true;
  AM_MEDIA_TYPE mt;
  return SUCCEEDED(pin.ProposedMediaType(mt)) && mt.majortype == *type;
}

bool CategoryMatches(const Pin& pin, const GUID* category) { return !category || pin.Category() == *category; }

std::shared_ptr<Pin> FirstFreePin(const BaseFilter& filter, PIN_DIRECTION direction) {
  for (const auto& pin : filter.Pins()) {
    if (pin->Direction() == direction && !pin->IsConnected()) return pin;
  }
  return nullptr;
}

// The Smart Tee a source pin feeds, if any.
std::shared_ptr<SmartTee> TeeBehind(const Pin& pin) {
  const auto peer = pin.Peer();
  return peer ? std::dynamic_pointer_cast<SmartTee>(peer->Owner()) : nullptr;
}

}  // namespace

HRESULT CaptureGraphBuilder::SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) {
  if (!graph) return E_POINTER;
  std::lock_guard lock(m_lock);
  m_graph = graph;
  return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(std::shared_ptr<IGraphBuilder>& graph) {
  std::lock_guard lock(m_lock);
  graph = m_graph;
  return graph ? S_OK : E_UNEXPECTED;
}

HRESULT CaptureGraphBuilder::FindInterface(const GUID* category, const GUID* type,
                                           const std::shared_ptr<IBaseFilter>& filter,
                                           std::shared_ptr<IAMStreamConfig>& config) {
  config.reset();
  if (!filter) return E_POINTER;
  if (!category) {
    config = QueryInterface<IAMStreamConfig>(filter);
    if (config) return S_OK;
  }
  const auto base = std::dynamic_pointer_cast<BaseFilter>(filter);
  if (!base) return E_NOINTERFACE;
  for (const auto& pin : base->Pins()) {
    if (pin->Direction() != PINDIR_OUTPUT || !CategoryMatches(*pin, category) || !MajorTypeMatches(*pin, type)) {
      continue;
    }
    config = QueryInterface<IAMStreamConfig>(pin);
    if (config) return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT CaptureGraphBuilder::RenderStream(const GUID* category, const GUID* type,
                                          const std::shared_ptr<IBaseFilter>& source,
                                          const std::shared_ptr<IBaseFilter>& intermediate,
                                          const std::shared_ptr<IBaseFilter>& sink) {
  std::shared_ptr<IGraphBuilder> graph;
  {
    std::lock_guard lock(m_lock);
    graph = m_graph;
  }
  if (!graph) return E_UNEXPECTED;
  if (!source) return E_POINTER;
  if (!intermediate && !sink) return E_INVALIDARG;
  for (const auto* filter : {&source, &intermediate, &sink}) {
    if (*filter && !InGraph(*filter, graph)) return VFW_E_NOT_IN_GRAPH;
  }
  const auto sourceBase = std::dynamic_pointer_cast<BaseFilter>(source);
  const auto intermediateBase = std::dynamic_pointer_cast<BaseFilter>(intermediate);
  const auto sinkBase = std::dynamic_pointer_cast<BaseFilter>(sink);
  if (!sourceBase || (intermediate && !intermediateBase) || (sink && !sinkBase)) return E_INVALIDARG;

  Undo undo;
  HRESULT success = S_OK;
  std::shared_ptr<Pin> start = FindFreeOutput(*sourceBase, category, type);
  if (!start && category && *category == PIN_CATEGORY_PREVIEW) {
    bool hasPreviewPin = false;
    for (const auto& pin : sourceBase->Pins()) hasPreviewPin = hasPreviewPin || pin->Category() == PIN_CATEGORY_PREVIEW;
    if (!hasPreviewPin) {
      start = PreviewThroughTee(*sourceBase, type, graph, undo);
      success = VFW_S_NOPREVIEWPIN;
    }
  }
  if (!start) {
    Rollback(undo, graph);
    return E_FAIL;
  }
  const HRESULT hr = ConnectChain(start, intermediateBase.get(), sinkBase.get(), undo);
  if (FAILED(hr)) {
    Rollback(undo, graph);
    return hr;
  }
  return success;
}

bool CaptureGraphBuilder::InGraph(const std::shared_ptr<IBaseFilter>& filter,
                                  const std::shared_ptr<IGraphBuilder>& graph) const {
  FILTER_INFO info;
  return SUCCEEDED(filter->QueryFilterInfo(info)) && info.pGraph == graph.get();
}

std::shared_ptr<Pin> CaptureGraphBuilder::FindFreeOutput(const BaseFilter& source, const GUID* category,
                                                         const GUID* type) const {
  for (const auto& pin : source.Pins()) {
    if (pin->Direction() != PINDIR_OUTPUT || !CategoryMatches(*pin, category) || !MajorTypeMatches(*pin, type)) {
      continue;
    }
    if (!pin->IsConnected()) return pin;
    // A capture pin already split by a tee still offers the tee's free capture output.
    const auto tee = TeeBehind(*pin);
    if (tee && pin->Category() == PIN_CATEGORY_CAPTURE && !tee->CapturePin()->IsConnected()) {
      return tee->CapturePin();
    }
  }
  return nullptr;
}

std::shared_ptr<Pin> CaptureGraphBuilder::PreviewThroughTee(const BaseFilter& source, const GUID* type,
                                                            const std::shared_ptr<IGraphBuilder>& graph,
                                                            Undo& undo) const {
  for (const auto& pin : source.Pins()) {
    if (pin->Direction() != PINDIR_OUTPUT || pin->Category() != PIN_CATEGORY_CAPTURE ||
        !MajorTypeMatches(*pin, type)) {
      continue;
    }
    if (const auto existing = TeeBehind(*pin)) {
      if (!existing->PreviewPin()->IsConnected()) return existing->PreviewPin();
      continue;
    }
    if (pin->IsConnected()) continue;

    const auto tee = SmartTee::Create();
    const QString base = QStringLiteral("Smart Tee");
    HRESULT hr = graph->AddFilter(tee, base);
    for (int n = 1; hr == VFW_E_DUPLICATE_NAME && n < 10000; ++n) {
      hr = graph->AddFilter(tee, QStringLiteral("%1 %2").arg(base).arg(n, 4, 10, QLatin1Char('0')));
    }
    if (FAILED(hr)) return nullptr;
    undo.insertedTee = tee;
    if (FAILED(pin->Connect(tee->InputPin()))) return nullptr;
    undo.connected.push_back(pin);
    return tee->PreviewPin();
  }
  return nullptr;
}

HRESULT CaptureGraphBuilder::ConnectChain(const std::shared_ptr<Pin>& start, BaseFilter* intermediate,
                                          BaseFilter* sink, Undo& undo) const {
  std::shared_ptr<Pin> from = start;
  if (intermediate) {
    const auto input = FirstFreePin(*intermediate, PINDIR_INPUT);
    if (!input) return E_FAIL;
    if (FAILED(from->Connect(input))) return VFW_E_CANNOT_CONNECT;
    undo.connected.push_back(from);
    if (!sink) return S_OK;
    from = FirstFreePin(*intermediate, PINDIR_OUTPUT);
    if (!from) return E_FAIL;
  }
  const auto input = FirstFreePin(*sink, PINDIR_INPUT);
  if (!input) return E_FAIL;
  if (FAILED(from->Connect(input))) return VFW_E_CANNOT_CONNECT;
  undo.connected.push_back(from);
  return S_OK;
}

void CaptureGraphBuilder::Rollback(Undo& undo, const std::shared_ptr<IGraphBuilder>& graph) const {
  for (auto it = undo.connected.rbegin(); it != undo.connected.rend(); ++it) (*it)->DisconnectBothSides();
  // The tee was added by this call and is free again: its removal cannot fail.
  if (undo.insertedTee) (void)graph->RemoveFilter(undo.insertedTee);
  undo = Undo{};
}

}  // namespace platform
