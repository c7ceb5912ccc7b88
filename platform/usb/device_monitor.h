// Capture-device arrival and removal events, delivered on the UI thread.
//
// A libudev monitor on the video4linux subsystem is read through a QSocketNotifier
// on the thread that owns this object: add is an arrival (0x8000), remove a removal
// complete (0x8004). Other sources (the virtual camera's plug and unplug) raise the
// same events through Post, from any thread; events reach deviceChange in order.
#pragma once

#include <QObject>

#include <memory>

#include "platform/usb/udev_handles.h"

class QSocketNotifier;

namespace platform {

constexpr int DBT_DEVICEARRIVAL = 0x8000;
constexpr int DBT_DEVICEREMOVECOMPLETE = 0x8004;

class DeviceMonitor : public QObject {
  Q_OBJECT

 public:
  explicit DeviceMonitor(QObject* parent = nullptr);
  ~DeviceMonitor() override;

  // Starts the udev monitor; false when udev cannot be used (then only posted events come).
  // Called on the thread that owns this object.
  bool Register();
  void Unregister();
  bool IsRegistered() const;

  // Raises an event from any thread.
  void Post(int event);

 signals:
  void deviceChange(int event);

 private:
  void OnUdevReadable();

  // Destroyed bottom up: the notifier before the socket it watches, the monitor before its context.
  UdevPtr m_udev;
  UdevMonitorPtr m_monitor;
  std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace platform
