#include "platform/usb/device_monitor.h"

#include <libudev.h>

#include <QSocketNotifier>
#include <QThread>

#include <cstring>

namespace platform {

DeviceMonitor::DeviceMonitor(QObject* parent) : QObject(parent) {}

DeviceMonitor::~DeviceMonitor() { Unregister(); }

bool DeviceMonitor::Register() {
  if (IsRegistered()) return true;
  // The notifier has to live on the thread whose event loop delivers the events.
  if (QThread::currentThread() != thread()) return false;
  // Containers and build machines often have no udev daemon or no netlink socket;
  // any step failing leaves the monitor unregistered and nothing to release.
  UdevPtr context(udev_new());
  if (!context) return false;
  UdevMonitorPtr monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
  if (!monitor) return false;
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "video4linux", nullptr) < 0) return false;
  if (udev_monitor_enable_receiving(monitor.get()) < 0) return false;
  const int fd = udev_monitor_get_fd(monitor.get());
  if (fd < 0) return false;
  auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(notifier.get(), &QSocketNotifier::activated, this, &DeviceMonitor::OnUdevReadable);
  m_udev = std::move(context);
  m_monitor = std::move(monitor);
  m_notifier = std::move(notifier);
  return true;
}

void DeviceMonitor::Unregister() {
  m_notifier.reset();
  m_monitor.reset();
  m_udev.reset();
}

bool DeviceMonitor::IsRegistered() const { return m_monitor != nullptr; }

void DeviceMonitor::Post(int event) {
  // Queued on this object's thread: posted events keep their order, and an event still
  // queued when the monitor is destroyed is dropped with it.
  QMetaObject::invokeMethod(this, [this, event] { emit deviceChange(event); }, Qt::QueuedConnection);
}

void DeviceMonitor::OnUdevReadable() {
  if (!m_monitor) return;
  const UdevDevicePtr device(udev_monitor_receive_device(m_monitor.get()));
  if (!device) return;
  const char* action = udev_device_get_action(device.get());
  if (!action) return;
  // Through the queue rather than emitted here, so a receiver may unregister (and so
  // delete the notifier) without pulling it out from under its own signal.
  if (std::strcmp(action, "add") == 0) {
    Post(DBT_DEVICEARRIVAL);
  } else if (std::strcmp(action, "remove") == 0) {
    Post(DBT_DEVICEREMOVECOMPLETE);
  }
}

}  // namespace platform
