// What udev knows about a camera's video node: the USB device behind it, its still
// button, and the video nodes present.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "platform/graph/v4l2/still_button.h"
#include "platform/usb/usb_devices.h"

namespace platform::v4l2 {

// Vendor id, product id and serial of the USB device a video node belongs to
// (serial empty when the device has none); nullopt for a node that is no USB device's.
std::optional<UsbIdentity> UsbIdentityOf(const QString& node);

// The product string of the USB device a video node belongs to, as sysfs gives it
// (the string the USB device list carries; empty when the device names no product);
// nullopt for a node that is no USB device's.
std::optional<QString> UsbProductOf(const QString& node);

// The still button of the camera at a video node: the input device reporting
// KEY_CAMERA whose USB device is the camera's. An empty opener when there is none or
// it cannot be opened (no permission).
StillButtonOpener FindStillButton(const QString& videoNode);

// The device nodes of subsystem video4linux, by minor number.
QStringList ListVideoNodes();

}  // namespace platform::v4l2
