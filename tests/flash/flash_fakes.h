// A camera-control backend and camera property interfaces that log every call into one
// shared log, so tests see the order of flash bytes and camera calls together.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "outside/alc_backend.h"
#include "platform/graph/interfaces.h"

namespace flashtest {

using Log = std::vector<std::string>;

inline std::string Read(std::uint32_t address) {
  char text[32];
  std::snprintf(text, sizeof text, "read %04X", static_cast<unsigned>(address));
  return text;
}
inline std::string Write(std::uint32_t address, std::uint8_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "write %04X=%02X", static_cast<unsigned>(address), static_cast<unsigned>(value));
  return text;
}

// An 8192-byte flash, erased. Reads fail at chosen addresses; writes can be refused, or
// taken and forgotten (the store keeps its old bytes).
class RecordingFlash : public alc::Backend {
 public:
  explicit RecordingFlash(Log& log) : m_log(log) { image.fill(0xFF); }
  void Open() override { m_log.push_back("open"); }
  void Close() override { m_log.push_back("close"); }
  bool GetPidVid(std::uint16_t&, std::uint16_t&) override { return false; }
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override {
    m_log.push_back(Read(address));
    if (address >= image.size() || failingReads.count(address)) return false;
    value = image[address];
    return true;
  }
  bool WriteFlash(std::uint32_t address, std::uint8_t value) override {
    m_log.push_back(Write(address, value));
    if (address >= image.size() || refuseWrites) return false;
    if (!forgetWrites) image[address] = value;
    return true;
  }
  bool SetFlashSize(std::uint32_t size) override {
    m_log.push_back("size " + std::to_string(size));
    return true;
  }

  std::array<std::uint8_t, 8192> image{};
  std::set<std::uint32_t> failingReads;
  bool refuseWrites = false;
  bool forgetWrites = false;

 private:
  Log& m_log;
};

// Properties as value and flags; a property missing from the map refuses Get and Set.
template <class Interface>
class FakeProperties : public Interface {
 public:
  FakeProperties(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}
  HRESULT GetRange(long, long*, long*, long*, long*, long*) override { return E_NOTIMPL; }
  HRESULT Set(long property, long value, long flags) override {
    m_log.push_back(m_name + " set " + std::to_string(property) + " " + std::to_string(value) + " " +
                    std::to_string(flags));
    return values.count(property) ? S_OK : E_PROP_ID_UNSUPPORTED;
  }
  HRESULT Get(long property, long* value, long* flags) override {
    m_log.push_back(m_name + " get " + std::to_string(property));
    if (!values.count(property)) return E_PROP_ID_UNSUPPORTED;
    std::tie(*value, *flags) = values[property];
    return S_OK;
  }
  std::map<long, std::pair<long, long>> values;

 private:
  Log& m_log;
  std::string m_name;
};
using FakeProcAmp = FakeProperties<IAMVideoProcAmp>;
using FakeCameraControl = FakeProperties<IAMCameraControl>;

// The power-line frequency in its 40-byte record; refuses both calls when asked, and
// then leaves 1 in the record, which is not to be trusted.
class FakePowerLine : public IKsPropertySet {
 public:
  explicit FakePowerLine(Log& log) : m_log(log) {}
  HRESULT Set(const GUID&, std::uint32_t id, const void*, std::uint32_t, const void* data, std::uint32_t) override {
    const auto* record = static_cast<const KSPROPERTY_VIDEOPROCAMP_S*>(data);
    m_log.push_back("power set " + std::to_string(id) + " " + std::to_string(record->Value) + " " +
                    std::to_string(record->ValueFlags));
    return refuse ? E_PROP_ID_UNSUPPORTED : S_OK;
  }
  HRESULT Get(const GUID&, std::uint32_t id, const void*, std::uint32_t, void* data, std::uint32_t,
              std::uint32_t*) override {
    m_log.push_back("power get " + std::to_string(id));
    static_cast<KSPROPERTY_VIDEOPROCAMP_S*>(data)->Value = refuse ? 1 : value;
    return refuse ? E_PROP_ID_UNSUPPORTED : S_OK;
  }
  std::int32_t value = 1;
  bool refuse = false;

 private:
  Log& m_log;
};

}  // namespace flashtest
