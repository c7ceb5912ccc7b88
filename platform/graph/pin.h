// A pin of a filter: input or output, connected to at most one pin of the other
// direction with an agreed media type. Output pins hand samples to their peer.
#pragma once

#include <QString>

#include <memory>
#include <shared_mutex>

#include "platform/graph/interfaces.h"
#include "platform/graph/media_sample.h"

namespace platform {

class BaseFilter;

class Pin : public IPin, public std::enable_shared_from_this<Pin> {
 public:
  Pin(std::weak_ptr<BaseFilter> owner, PIN_DIRECTION direction, QString name, GUID category = {});

  HRESULT ConnectedTo(std::shared_ptr<IPin>& pin) override;
  HRESULT QueryPinInfo(PIN_INFO& info) override;
  HRESULT QueryDirection(PIN_DIRECTION& dir) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE& mt) override;
  GUID Category() const override { return m_category; }

  const QString& Name() const { return m_name; }
  PIN_DIRECTION Direction() const { return m_direction; }
  std::shared_ptr<BaseFilter> Owner() const { return m_owner.lock(); }
  std::shared_ptr<Pin> Peer() const;
  bool IsConnected() const { return Peer() != nullptr; }

  // The media type an output pin offers (its owner decides); fails when it has none.
  HRESULT ProposedMediaType(AM_MEDIA_TYPE& mt) const;
  // Connects this output pin to a free input pin that accepts the offered type:
  // S_OK, VFW_E_ALREADY_CONNECTED, or VFW_E_CANNOT_CONNECT.
  HRESULT Connect(const std::shared_ptr<Pin>& input);
  // Breaks this side of the connection only; S_FALSE when the pin is free. On an
  // output pin it waits for a delivery in progress, so once it returns no sample
  // reaches the former peer through this pin.
  HRESULT Disconnect();
  // Breaks both sides of the connection.
  void DisconnectBothSides();

  // Output pins: hands the sample to the connected input pin; false when free.
  bool Deliver(const MediaSample& sample);
  // Input pins: passes the sample to the owning filter while it runs.
  void Receive(const MediaSample& sample);

 private:
  const std::weak_ptr<BaseFilter> m_owner;
  const PIN_DIRECTION m_direction;
  const QString m_name;
  const GUID m_category;

  // Guards the connection. A delivery holds it shared for the peer's whole
  // Receive; connecting and disconnecting hold it exclusively.
  mutable std::shared_mutex m_lock;
  std::shared_ptr<Pin> m_peer;
  AM_MEDIA_TYPE m_mediaType;
};

}  // namespace platform
