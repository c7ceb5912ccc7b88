// Camera discovery over scripted USB rows, capture devices and library ids.
#include <gtest/gtest.h>

#include "capture/camera_discovery.h"
#include "outside/alc_backend.h"
#include "platform/graph/com_factory.h"
#include "platform/profile/profile.h"
#include "support/scripted_platform.h"
#include "support/user_folders.h"
#include "texts/user_files.h"

namespace {

using platform::UsbDeviceEntry;
using testsupport::NamedDevice;
using testsupport::ScriptedAlcBackend;
using testsupport::ScriptedDeviceProvider;
using testsupport::ScriptedUsbSource;

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    usb = std::make_shared<ScriptedUsbSource>();
    devices = std::make_shared<ScriptedDeviceProvider>();
    backend = std::make_shared<ScriptedAlcBackend>();
    alc::InstallBackend(backend);
    PlatformServices services;
    services.usbDevices = usb;
    services.com = std::make_shared<platform::ComFactory>();
    services.com->AddDeviceProvider(devices);
    ASSERT_TRUE(user.ChooseLanguage(QStringLiteral("Chinese")));  // the messages are checked in Chinese
    files.Prepare();
    cameras = std::make_unique<CameraDiscovery>(services, files);
    cameras->m_showMessage = [this](const QString& text) { messages.push_back(text); };
  }
  void TearDown() override { alc::InstallBackend(nullptr); }

  void AddRow(const QString& id, const QString& name) { usb->rows->push_back(UsbDeviceEntry{id, name}); }
  void AddCapture(const QString& name) {
    devices->devices.push_back(std::make_shared<NamedDevice>(name, "node" + QString::number(devices->devices.size())));
  }
  QString Message(const char* key) const { return profile::getString(files.m_strLngPath, "WndMessage", key, "<none>"); }

  testsupport::ScopedUserFolders user;
  std::shared_ptr<ScriptedUsbSource> usb;
  std::shared_ptr<ScriptedDeviceProvider> devices;
  std::shared_ptr<ScriptedAlcBackend> backend;
  UserFiles files;
  std::unique_ptr<CameraDiscovery> cameras;
  std::vector<QString> messages;
};

TEST_F(Discovery, MatchesNameAndIdsWithHighVendorId) {
  backend->ids = {{0x9ABC, 0x0012}};
  AddRow("USB\\VID_9ABC&PID_0012\\SN1", "Bench Cam");
  AddRow("USB\\VID_9ABC&PID_0013\\SN2", "Other Cam");
  AddCapture("Other Cam");
  AddCapture("Bench Cam");

  EXPECT_EQ(cameras->FindCameras(), 1);
  EXPECT_EQ(cameras->m_strCamVid, "9ABC");
  EXPECT_EQ(cameras->m_strCamPid, "0012");
  EXPECT_EQ(cameras->m_strCameraNames[0], "Bench Cam");
  ASSERT_NE(cameras->m_pCameraMonikers[0], nullptr);
  EXPECT_EQ(cameras->m_pCameraMonikers[1], nullptr);
  EXPECT_EQ(cameras->m_nUsbDeviceCount, 2);
  EXPECT_EQ(cameras->m_UsbDevices[0].vid, "9ABC");
  EXPECT_EQ(cameras->m_UsbDevices[0].pid, "0012");
  // Every library use is bracketed.
  EXPECT_EQ(backend->opens, backend->closes);
  EXPECT_EQ(alc::BracketDepth(), 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Discovery, InstanceIdsAreComparedUpperCasedButNamesExactly) {
  backend->ids = {{0x1234, 0xABCD}};
  AddRow("usb\\vid_1234&pid_abcd\\sn", "Cam");
  AddCapture("cam");
  EXPECT_EQ(cameras->FindCameras(), 0);
  AddCapture("Cam");
  EXPECT_EQ(cameras->FindCameras(), 1);
}

TEST_F(Discovery, LongFriendlyNamesAreReadWholeAndMatch) {
  const QString name = "A Camera With A Thirty-Char Nm";
  ASSERT_EQ(name.size(), 30);
  backend->ids = {{0x1234, 0x5678}};
  AddRow("USB\\VID_1234&PID_5678\\1", name);
  AddCapture(name);
  EXPECT_EQ(cameras->FindCameras(), 1);
}

TEST_F(Discovery, RowsNeedUsbBothIdsAndAName) {
  backend->ids = {{0x1234, 0x5678}};
  AddRow("USB\\VID_1234\\1", "No product id");
  AddRow("HID\\VID_1234&PID_5678\\1", "Not USB");
  AddRow("USB\\VID_1234&PID_5678\\2", "");
  AddRow("USB\\VID_1234&PID_5678\\3", "Kept");
  cameras->EnumUsbDevices();
  ASSERT_EQ(cameras->m_nUsbDeviceCount, 1);
  EXPECT_EQ(cameras->m_UsbDevices[0].name, "Kept");
}

TEST_F(Discovery, TwoIdenticalCamerasAreBothCountedAndTheFirstUsed) {
  backend->ids = {{0x1234, 0x5678}};
  AddRow("USB\\VID_1234&PID_5678\\1", "Cam");
  AddRow("USB\\VID_1234&PID_5678\\2", "Cam");
  AddCapture("Cam");
  AddCapture("Cam");
  AddCapture("Cam");  // a third is ignored, never written past the two slots
  EXPECT_EQ(cameras->FindCameras(), 2);
  ASSERT_NE(cameras->m_pCameraMonikers[0], nullptr);
  ASSERT_NE(cameras->m_pCameraMonikers[1], nullptr);
  // Slot 0 holds the first in enumeration order.
  std::shared_ptr<IPropertyBag> bag;
  ASSERT_EQ(cameras->m_pCameraMonikers[0]->BindToStorage(bag), S_OK);
  QString path;
  ASSERT_EQ(bag->Read("DevicePath", path), S_OK);
  EXPECT_EQ(path, "node0");
  EXPECT_FALSE(cameras->m_pCameraMonikers[0]->IsEqual(*cameras->m_pCameraMonikers[1]));
}

TEST_F(Discovery, NoIdsFromTheLibraryMeansNoMatch) {
  AddRow("USB\\VID_1234&PID_5678\\1", "Cam");
  AddCapture("Cam");
  EXPECT_EQ(cameras->FindCameras(), 0);
  EXPECT_TRUE(cameras->m_strCamVid.isEmpty());
  EXPECT_TRUE(cameras->m_strCamPid.isEmpty());
  EXPECT_EQ(Message("NOSUPPORT"), QString::fromUtf8("没有找到支持的硬件设备"));
  EXPECT_EQ(Message("NOHARDWARE"), "<none>");
}

TEST_F(Discovery, NoCaptureDeviceLooksUpNoHardware) {
  backend->ids = {{0x1234, 0x5678}};
  AddRow("USB\\VID_1234&PID_5678\\1", "Cam");
  EXPECT_EQ(cameras->FindCameras(), 0);
  EXPECT_EQ(Message("NOHARDWARE"), QString::fromUtf8("没有找到硬件设备"));
  EXPECT_EQ(backend->opens, backend->closes);
}

TEST_F(Discovery, DeviceListFailuresShowTheirMessages) {
  usb->rows = std::nullopt;
  cameras->EnumUsbDevices();
  EXPECT_EQ(cameras->m_nUsbDeviceCount, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QString::fromUtf8("获取系统设备列表失败"));

  usb->rows = std::vector<UsbDeviceEntry>{{"USB\\VID_1234&PID_5678\\1", "First"},
                                          {std::nullopt, "Unreadable"},
                                          {"USB\\VID_1234&PID_5678\\2", "After"}};
  cameras->EnumUsbDevices();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], QString::fromUtf8("获取设备识别字符串失败"));
  ASSERT_EQ(cameras->m_nUsbDeviceCount, 1);  // the rows found before stay
  EXPECT_EQ(cameras->m_UsbDevices[0].name, "First");
}

TEST_F(Discovery, SurplusRowsAreIgnored) {
  for (int i = 0; i < 25; ++i) AddRow(QString("USB\\VID_1234&PID_%1\\x").arg(i, 4, 10, QChar('0')), "Dev");
  cameras->EnumUsbDevices();
  EXPECT_EQ(cameras->m_nUsbDeviceCount, CameraDiscovery::kMaxUsbDevices);
  EXPECT_EQ(cameras->m_UsbDevices[19].pid, "0019");
}

}  // namespace
