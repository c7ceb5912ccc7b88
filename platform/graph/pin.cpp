#include "platform/graph/pin.h"

#include <mutex>

#include "platform/graph/base_filter.h"

namespace platform {

Pin::Pin(std::weak_ptr<BaseFilter> owner, PIN_DIRECTION direction, QString name, GUID category)
    : m_owner(std::move(owner)), m_direction(direction), m_name(std::move(name)), m_category(category) {}

HRESULT Pin::ConnectedTo(std::shared_ptr<IPin>& pin) {
  pin = Peer();
  return pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT Pin::QueryPinInfo(PIN_INFO& info) {
  info.pFilter = m_owner.lock();
  info.dir = m_direction;
  info.achName = m_name;
  return S_OK;
}

HRESULT Pin::QueryDirection(PIN_DIRECTION& dir) {
  dir = m_direction;
  return S_OK;
}

HRESULT Pin::ConnectionMediaType(AM_MEDIA_TYPE& mt) {
  std::shared_lock lock(m_lock);
  if (!m_peer) return VFW_E_NOT_CONNECTED;
  mt = m_mediaType;
  return S_OK;
}

std::shared_ptr<Pin> Pin::Peer() const {
  std::shared_lock lock(m_lock);
  return m_peer;
}

HRESULT Pin::ProposedMediaType(AM_MEDIA_TYPE& mt) const {
  if (m_direction != PINDIR_OUTPUT) return E_UNEXPECTED;
  const auto owner = m_owner.lock();
  if (!owner) return E_UNEXPECTED;
  return owner->GetMediaType(*this, mt);
}

HRESULT Pin::Connect(const std::shared_ptr<Pin>& input) {
  if (!input) return E_POINTER;
  if (m_direction != PINDIR_OUTPUT || input->m_direction != PINDIR_INPUT || input.get() == this) {
    return VFW_E_CANNOT_CONNECT;
  }
  if (IsConnected() || input->IsConnected()) return VFW_E_ALREADY_CONNECTED;

  // The type is agreed before taking the locks: the owners may look at their other
  // pins (a pass-through output offers what its input was connected with).
  AM_MEDIA_TYPE mt;
  if (FAILED(ProposedMediaType(mt))) return VFW_E_CANNOT_CONNECT;
  const auto inputOwner = input->Owner();
  if (!inputOwner || !inputOwner->CheckMediaType(*input, mt)) return VFW_E_CANNOT_CONNECT;

  std::scoped_lock lock(m_lock, input->m_lock);
  if (m_peer || input->m_peer) return VFW_E_ALREADY_CONNECTED;
  m_peer = input;
  m_mediaType = mt;
  input->m_peer = shared_from_this();
  input->m_mediaType = std::move(mt);
  return S_OK;
}

HRESULT Pin::Disconnect() {
  std::shared_ptr<Pin> former;  // released after the lock
  std::unique_lock lock(m_lock);
  if (!m_peer) return S_FALSE;
  former = std::move(m_peer);
  m_peer.reset();
  m_mediaType = AM_MEDIA_TYPE{};
  lock.unlock();
  return S_OK;
}

void Pin::DisconnectBothSides() {
  const auto peer = Peer();
  Disconnect();
  // Only the side that still points back here: the peer may have been connected
  // elsewhere since this side was broken.
  if (peer && peer->Peer().get() == this) peer->Disconnect();
}

bool Pin::Deliver(const MediaSample& sample) {
  std::shared_lock lock(m_lock);
  if (!m_peer) return false;
  m_peer->Receive(sample);
  return true;
}

void Pin::Receive(const MediaSample& sample) {
  const auto owner = m_owner.lock();
  if (owner && owner->IsRunning()) owner->Receive(*this, sample);
}

}  // namespace platform
