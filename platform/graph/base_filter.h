// Common part of every filter: its pins, its graph and name, and its running state.
#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/interfaces.h"
#include "platform/graph/media_sample.h"
#include "platform/graph/pin.h"

namespace platform {

class BaseFilter : public IBaseFilter, public std::enable_shared_from_this<BaseFilter> {
 public:
  ~BaseFilter() override;

  HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>& pins) override;
  HRESULT QueryFilterInfo(FILTER_INFO& info) override;

  // The pins, fixed once the filter is made.
  const std::vector<std::shared_ptr<Pin>>& Pins() const { return m_pins; }
  std::shared_ptr<Pin> FindPin(PIN_DIRECTION direction, const QString& name) const;

  // Graph membership, kept by the graph: joining fails while the filter is in a graph.
  bool JoinGraph(IGraphBuilder* graph, const QString& name);
  void LeaveGraph();
  IGraphBuilder* Graph() const;

  // Sources are started after and stopped before every other filter of a graph.
  virtual bool IsSource() const { return false; }
  virtual HRESULT Run();
  // A source returns once its streaming threads have delivered their last sample;
  // other filters drop the samples that still arrive.
  virtual void Stop();
  bool IsRunning() const { return m_running.load(std::memory_order_acquire); }

  // What the pins ask their filter. An output pin's offered media type (E_FAIL by
  // default: nothing to offer); whether an input pin accepts a type (anything by
  // default); and a sample arriving at an input pin while the filter runs (dropped
  // by default). Receive runs on the streaming thread of the upstream source.
  virtual HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt);
  virtual bool CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt);
  virtual void Receive(const Pin& input, const MediaSample& sample);

 protected:
  BaseFilter() = default;
  // Pins are made right after the filter itself (they need its weak pointer).
  std::shared_ptr<Pin> AddPin(PIN_DIRECTION direction, const QString& name, GUID category = {});
  void AddPin(std::shared_ptr<Pin> pin);
  void SetRunning(bool running) { m_running.store(running, std::memory_order_release); }

 private:
  std::vector<std::shared_ptr<Pin>> m_pins;
  std::atomic<bool> m_running{false};

  mutable std::mutex m_infoLock;
  IGraphBuilder* m_graph = nullptr;
  QString m_name;
};

}  // namespace platform
