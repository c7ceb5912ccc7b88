#include <gtest/gtest.h>

#include "fake_source_device.h"
#include "platform/graph/com_factory.h"

using namespace graphtest;
using namespace platform;

namespace {

class FakeHandle final : public DeviceHandle {
 public:
  FakeHandle(QString name, QString id, bool opens) : m_name(std::move(name)), m_id(std::move(id)), m_opens(opens) {}
  QString FriendlyName() const override { return m_name; }
  QString Id() const override { return m_id; }
  std::shared_ptr<SourceDevice> Open() override { return m_opens ? std::make_shared<FakeSourceDevice>() : nullptr; }

 private:
  QString m_name, m_id;
  bool m_opens;
};

class FakeProvider final : public DeviceProvider {
 public:
  std::vector<std::shared_ptr<DeviceHandle>> Devices() override { return devices; }
  std::vector<std::shared_ptr<DeviceHandle>> devices;
};

std::vector<std::shared_ptr<IMoniker>> All(IEnumMoniker& e) {
  std::vector<std::shared_ptr<IMoniker>> all;
  std::shared_ptr<IMoniker> m;
  while (e.Next(m) == S_OK) all.push_back(m);
  EXPECT_FALSE(m);
  return all;
}

QString Read(IMoniker& moniker, const QString& property) {
  std::shared_ptr<IPropertyBag> bag;
  EXPECT_EQ(moniker.BindToStorage(bag), S_OK);
  QString value;
  return SUCCEEDED(bag->Read(property, value)) ? value : QStringLiteral("<none>");
}

}  // namespace

TEST(DeviceEnum, ListsEveryProvidersCamerasInOrder) {
  ComFactory factory;
  auto first = std::make_shared<FakeProvider>();
  auto second = std::make_shared<FakeProvider>();
  factory.AddDeviceProvider(first);
  factory.AddDeviceProvider(second);
  std::shared_ptr<ICreateDevEnum> devEnum;
  ASSERT_EQ(factory.CreateSystemDeviceEnum(devEnum), S_OK);
  std::shared_ptr<IEnumMoniker> e;
  EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, e), S_FALSE);
  EXPECT_FALSE(e);

  first->devices = {std::make_shared<FakeHandle>("Cam A", "/dev/video0", true),
                    std::make_shared<FakeHandle>("Cam B", "/dev/video2", false)};
  second->devices = {std::make_shared<FakeHandle>("Virtual", "virtual", true)};
  EXPECT_EQ(devEnum->CreateClassEnumerator(KSCATEGORY_CAPTURE, e), S_FALSE);
  ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, e), S_OK);
  auto monikers = All(*e);
  ASSERT_EQ(monikers.size(), 3u);
  EXPECT_EQ(Read(*monikers[0], "FriendlyName"), "Cam A");
  EXPECT_EQ(Read(*monikers[0], "DevicePath"), "/dev/video0");
  EXPECT_EQ(Read(*monikers[2], "FriendlyName"), "Virtual");
  EXPECT_EQ(Read(*monikers[2], "Description"), "<none>");
  e->Reset();
  EXPECT_EQ(All(*e).size(), 3u);

  // A moniker names its device: equal to another moniker of the same device only.
  std::shared_ptr<IEnumMoniker> again;
  devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, again);
  auto later = All(*again);
  EXPECT_TRUE(monikers[1]->IsEqual(*later[1]));
  EXPECT_FALSE(monikers[1]->IsEqual(*later[0]));

  std::shared_ptr<IBaseFilter> filter;
  EXPECT_EQ(monikers[1]->BindToObject(filter), E_FAIL);
  EXPECT_FALSE(filter);
  ASSERT_EQ(monikers[0]->BindToObject(filter), S_OK);
  std::vector<std::shared_ptr<IPin>> pins;
  filter->EnumPins(pins);
  ASSERT_EQ(pins.size(), 3u);
  PIN_INFO info;
  pins[0]->QueryPinInfo(info);
  EXPECT_EQ(info.achName, "Capture");
  EXPECT_EQ(info.pFilter, filter);
  EXPECT_EQ(pins[0]->Category(), PIN_CATEGORY_CAPTURE);
  EXPECT_EQ(pins[2]->Category(), PIN_CATEGORY_STILL);
}
