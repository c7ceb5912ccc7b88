#include "platform/usb/usb_devices.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

using platform::UdevUsbDeviceSource;
using platform::UsbDeviceEntry;
using platform::UsbIdentity;

TEST(UsbInstanceId, FormatsIdsInUpperCaseHexAndKeepsTheSerial) {
  EXPECT_EQ(platform::UsbInstanceId({0x9ABC, 0x00ef, "abc-Serial 1"}), "USB\\VID_9ABC&PID_00EF\\abc-Serial 1");
  EXPECT_EQ(platform::UsbInstanceId({0x0001, 0xFFFF, "1-2.4"}), "USB\\VID_0001&PID_FFFF\\1-2.4");
}

TEST(UdevUsbDeviceSource, ListsPresentDevicesThenTheExtraRows) {
  const std::vector<UsbDeviceEntry> extra = {{QString("USB\\VID_1D6B&PID_0104\\virtual"), "Virtual Camera"},
                                             {std::nullopt, "unreadable"}};
  UdevUsbDeviceSource source([&] { return extra; });
  const auto rows = source.Enumerate();
  ASSERT_TRUE(rows.has_value()) << "libudev reads sysfs directly; listing needs no daemon";
  ASSERT_GE(rows->size(), extra.size());

  const size_t present = rows->size() - extra.size();
  const QRegularExpression form(R"(^USB\\VID_[0-9A-F]{4}&PID_[0-9A-F]{4}\\.+$)");
  for (size_t i = 0; i < present; ++i) {
    ASSERT_TRUE((*rows)[i].instanceId.has_value());
    EXPECT_TRUE(form.match(*(*rows)[i].instanceId).hasMatch()) << (*rows)[i].instanceId->toStdString();
  }
  for (size_t i = 0; i < extra.size(); ++i) {
    EXPECT_EQ((*rows)[present + i].instanceId, extra[i].instanceId);
    EXPECT_EQ((*rows)[present + i].friendlyName, extra[i].friendlyName);
  }

  // Without extra rows only the present devices come.
  const auto plain = UdevUsbDeviceSource().Enumerate();
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->size(), present);

  // A video device found is one of the listed rows.
  if (const auto camera = platform::FirstUsbVideoDevice()) {
    const QString id = platform::UsbInstanceId(*camera);
    EXPECT_TRUE(std::any_of(plain->begin(), plain->end(), [&](const UsbDeviceEntry& row) { return row.instanceId == id; }))
        << id.toStdString();
  }
}

}  // namespace
