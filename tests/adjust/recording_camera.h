// A camera's property interfaces in memory for the property window's tests: the nine
// properties with the ranges of a typical UVC camera, kept as a camera keeps them
// (values clamped and rounded to the step), and a log of every call in order.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "flash/camera_properties.h"
#include "platform/graph/interfaces.h"

namespace adjusttest {

struct FakeProperty {
  long min = 0;
  long max = 0;
  long step = 1;
  long def = 0;
  long caps = 2;
  long value = 0;
  long flags = 2;
  bool failGet = false;
};

class RecordingCamera {
 public:
  RecordingCamera();
  // The interfaces refer to this object.
  RecordingCamera(const RecordingCamera&) = delete;
  RecordingCamera& operator=(const RecordingCamera&) = delete;

  // Both interfaces, or one of them missing as a source may lack it.
  CameraProperties Properties() const;
  CameraProperties WithoutCameraControl() const;
  CameraProperties WithoutVideoProcAmp() const;

  FakeProperty& Amp(long property) { return m_amp.at(property); }
  FakeProperty& Exposure() { return m_cam.at(CameraControl_Exposure); }
  // The camera lacks the property: every call on it answers E_PROP_ID_UNSUPPORTED.
  void RemoveAmp(long property) { m_amp.erase(property); }
  void RemoveExposure() { m_cam.erase(CameraControl_Exposure); }

  // Every Set since the last Clear, as "<name>=<value>/<flags>" ("gain=20/1").
  std::vector<std::string> Sets() const;
  // Every call since the last Clear, as "<Kind> <name>" ("GetRange hue").
  std::vector<std::string> Calls() const;
  void Clear();

  // The property's name in the log.
  static std::string NameOf(bool cameraControl, long property);

 private:
  template <class Base>
  class Interface;

  std::map<long, FakeProperty> m_amp;
  std::map<long, FakeProperty> m_cam;
  std::vector<std::string> m_calls;
  std::vector<std::string> m_sets;
  std::shared_ptr<IAMVideoProcAmp> m_procAmp;
  std::shared_ptr<IAMCameraControl> m_cameraControl;
};

}  // namespace adjusttest
