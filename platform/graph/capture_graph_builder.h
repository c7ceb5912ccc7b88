// The capture graph builder: renders a camera's streams by pin category and finds
// the stream configuration of its pins.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/base_filter.h"
#include "platform/graph/interfaces.h"

namespace platform {

class CaptureGraphBuilder final : public ICaptureGraphBuilder2 {
 public:
  HRESULT SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) override;
  HRESULT GetFiltergraph(std::shared_ptr<IGraphBuilder>& graph) override;
  // E_NOINTERFACE when no such output pin answers IAMStreamConfig. Without a
  // category the filter itself is asked first.
  HRESULT FindInterface(const GUID* category, const GUID* type, const std::shared_ptr<IBaseFilter>& filter,
                        std::shared_ptr<IAMStreamConfig>& config) override;
  // Connects the source's free output pin of that category and major type through
  // the intermediate filter (when given) to the sink (when given). A preview render
  // on a camera without a preview pin puts a "Smart Tee" on its capture pin and
  // answers VFW_S_NOPREVIEWPIN. A failure undoes what the call connected or added:
  // E_UNEXPECTED without a graph, VFW_E_NOT_IN_GRAPH for a filter outside it,
  // E_FAIL for a missing pin, VFW_E_CANNOT_CONNECT for a refused connection.
  HRESULT RenderStream(const GUID* category, const GUID* type, const std::shared_ptr<IBaseFilter>& source,
                       const std::shared_ptr<IBaseFilter>& intermediate,
                       const std::shared_ptr<IBaseFilter>& sink) override;

 private:
  // What one RenderStream call did, so that a failure can take it back.
  struct Undo {
    std::vector<std::shared_ptr<Pin>> connected;  // output pins connected by the call
    std::shared_ptr<IBaseFilter> insertedTee;
  };

  bool InGraph(const std::shared_ptr<IBaseFilter>& filter, const std::shared_ptr<IGraphBuilder>& graph) const;
  std::shared_ptr<Pin> FindFreeOutput(const BaseFilter& source, const GUID* category, const GUID* type) const;
  std::shared_ptr<Pin> PreviewThroughTee(const BaseFilter& source, const GUID* type,
                                         const std::shared_ptr<IGraphBuilder>& graph, Undo& undo) const;
  HRESULT ConnectChain(const std::shared_ptr<Pin>& start, BaseFilter* intermediate, BaseFilter* sink,
                       Undo& undo) const;
  void Rollback(Undo& undo, const std::shared_ptr<IGraphBuilder>& graph) const;

  mutable std::mutex m_lock;
  std::shared_ptr<IGraphBuilder> m_graph;
};

}  // namespace platform
