// Checks of our camera code against the kernel's UVC driver, run inside the test
// guest with the emulated camera of camera_model.h plugged in (see run-vm.sh).
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <future>

#include "camera_model.h"
#include "guest_support.h"
#include "platform/graph/capture_source.h"
#include "platform/graph/v4l2/udev_lookup.h"
#include "platform/graph/v4l2/v4l2_source.h"
#include "platform/usb/device_monitor.h"
#include "platform/usb/usb_devices.h"
#include "support/wait.h"

using namespace guest;
using platform::Capability;
using platform::WireFormat;

namespace {

const QString kProduct = QString::fromStdString(testcam::kProduct);
const QString kInstanceId = QStringLiteral("USB\\VID_1209&PID_5643\\VT-0042");

// The capabilities the camera's descriptors promise, each twice, in their order.
std::vector<Capability> ExpectedCapabilities() {
  std::vector<Capability> caps;
  for (const testcam::FormatDesc& f : testcam::Formats()) {
    for (const testcam::Frame& fr : f.frames) {
      const double fps = 1e7 / *std::min_element(fr.intervals.begin(), fr.intervals.end());
      const WireFormat wire = f.format == testcam::Format::Yuyv ? WireFormat::YUY2 : WireFormat::MJPG;
      caps.push_back({wire, fr.width, fr.height, false, fps});
      caps.push_back({wire, fr.width, fr.height, true, fps});
    }
  }
  return caps;
}

int CapabilityIndex(WireFormat format, int width, int height) {
  const auto caps = ExpectedCapabilities();
  for (std::size_t i = 0; i < caps.size(); i += 2) {
    if (caps[i].format == format && caps[i].width == width && caps[i].height == height) return static_cast<int>(i);
  }
  return -1;
}

std::shared_ptr<IBaseFilter> OpenCamera() {
  auto handle = FindTestCamera();
  if (!handle) return nullptr;
  auto device = handle->Open();
  return device ? CreateCaptureSourceFilter(device) : nullptr;
}

// Streams capability `index` for `frames` frames; the frames as the grabber gave them.
std::vector<FrameLog::Entry> Stream(Graph& graph, std::size_t frames) {
  graph.frames.Take();
  EXPECT_TRUE(graph.Run());
  EXPECT_TRUE(testsupport::WaitFor([&] { return graph.frames.Count() >= frames; }, 60s))
      << "frames: " << graph.frames.Count();
  graph.Stop();
  return graph.frames.Take();
}

// The frames after the first that shows the pattern (a stream may begin with a frame
// the camera had started before).
std::vector<FrameLog::Entry> FromFirstGood(std::vector<FrameLog::Entry> frames) {
  auto first = std::find_if(frames.begin(), frames.end(), [](const FrameLog::Entry& e) { return e.counter.has_value(); });
  return {first, frames.end()};
}

}  // namespace

TEST(Kernel, DiscoveryFindsTheCameraByItsUsbRowAndProductName) {
  const auto rows = platform::UdevUsbDeviceSource().Enumerate();
  ASSERT_TRUE(rows);
  const auto row = std::find_if(rows->begin(), rows->end(),
                                [](const platform::UsbDeviceEntry& r) { return r.instanceId == kInstanceId; });
  ASSERT_NE(row, rows->end()) << "no USB row " << kInstanceId.toStdString();
  EXPECT_EQ(row->friendlyName, kProduct);

  const auto identity = platform::FirstUsbVideoDevice();
  ASSERT_TRUE(identity);
  EXPECT_EQ(platform::UsbInstanceId(*identity), kInstanceId);

  // The capture devices as camera discovery reads them: one carries the USB row's name,
  // although the driver's card name is that name cut to 31 bytes.
  auto factory = MakeFactory();
  std::shared_ptr<ICreateDevEnum> devEnum;
  ASSERT_EQ(factory->CreateSystemDeviceEnum(devEnum), S_OK);
  std::shared_ptr<IEnumMoniker> monikers;
  ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers), S_OK);
  int matching = 0;
  std::shared_ptr<IMoniker> moniker;
  QStringList names;
  while (monikers->Next(moniker) == S_OK && moniker) {
    std::shared_ptr<IPropertyBag> bag;
    QString name, path;
    ASSERT_EQ(moniker->BindToStorage(bag), S_OK);
    ASSERT_EQ(bag->Read("FriendlyName", name), S_OK);
    bag->Read("DevicePath", path);
    names << name;
    if (name != row->friendlyName) continue;
    ++matching;
    const auto nodeIdentity = platform::v4l2::UsbIdentityOf(path);
    ASSERT_TRUE(nodeIdentity);
    EXPECT_EQ(platform::UsbInstanceId(*nodeIdentity), kInstanceId);
  }
  EXPECT_EQ(matching, 1) << names.join(", ").toStdString();
}

TEST(Kernel, CapabilitiesComeTwiceInTheDriversOrderAndCapabilityTwoJStreamsItsSize) {
  auto handle = FindTestCamera();
  ASSERT_TRUE(handle);
  auto device = handle->Open();
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->HasStreamConfig());
  EXPECT_TRUE(device->HasStillPin()) << "the driver's input device for the button was not found";
  const auto caps = device->Capabilities();
  const auto expected = ExpectedCapabilities();
  ASSERT_EQ(caps.size(), expected.size());
  for (std::size_t i = 0; i < caps.size(); ++i) {
    EXPECT_EQ(caps[i].format, expected[i].format) << i;
    EXPECT_EQ(caps[i].width, expected[i].width) << i;
    EXPECT_EQ(caps[i].height, expected[i].height) << i;
    EXPECT_EQ(caps[i].videoInfo2, expected[i].videoInfo2) << i;
    EXPECT_NEAR(caps[i].framesPerSecond, expected[i].framesPerSecond, 0.01) << i;
  }

  auto factory = MakeFactory();
  Graph graph(*factory, CreateCaptureSourceFilter(device));
  ASSERT_TRUE(graph.Connect());
  for (int j : {1, 2}) {  // YUYV 160×120, MJPEG 320×240
    int width = 0, height = 0;
    ASSERT_TRUE(graph.SelectCapability(2 * j, width, height)) << j;
    EXPECT_EQ(width, expected[2 * j].width);
    EXPECT_EQ(std::abs(height), expected[2 * j].height);
    const auto frames = FromFirstGood(Stream(graph, 4));
    ASSERT_FALSE(frames.empty()) << "no frame with the pattern at capability " << 2 * j;
    for (const auto& f : frames) {
      EXPECT_EQ(f.width, expected[2 * j].width);
      EXPECT_EQ(f.height, expected[2 * j].height);
    }
  }
}

TEST(Kernel, YuyvAndMjpegFramesArriveConvertedWithThePatternAtTheCamerasRate) {
  auto source = OpenCamera();
  ASSERT_TRUE(source);
  auto factory = MakeFactory();
  Graph graph(*factory, source);
  ASSERT_TRUE(graph.Connect());
  for (WireFormat format : {WireFormat::YUY2, WireFormat::MJPG}) {
    const int index = CapabilityIndex(format, 320, 240);
    ASSERT_GE(index, 0);
    const double fps = ExpectedCapabilities()[static_cast<std::size_t>(index)].framesPerSecond;
    int width = 0, height = 0;
    ASSERT_TRUE(graph.SelectCapability(index, width, height));
    const auto frames = FromFirstGood(Stream(graph, 40));
    ASSERT_GE(frames.size(), 30u) << "format " << int(format);
    int broken = 0, skipped = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].bpp, 24);
      EXPECT_EQ(frames[i].width, 320);
      EXPECT_EQ(frames[i].height, 240);
      if (!frames[i].counter) {
        ++broken;
        continue;
      }
      if (i > 0 && frames[i - 1].counter) {
        const int step = std::uint16_t(*frames[i].counter - *frames[i - 1].counter);
        EXPECT_GE(step, 1) << "a frame came twice";
        skipped += step - 1;
      }
    }
    EXPECT_EQ(broken, 0) << "frames without the pattern";
    // The guest is emulated on a shared machine: a few frames may be late enough to
    // be replaced by the next; a stream that loses more is not at the camera's rate.
    EXPECT_LE(skipped, static_cast<int>(frames.size() / 8)) << "camera frames that never arrived";
    const double seconds =
        std::chrono::duration<double>(frames.back().arrived - frames.front().arrived).count();
    const double measured = (frames.size() - 1) / seconds;
    EXPECT_NEAR(measured, fps, fps * 0.25) << "format " << int(format);
    std::printf("%s 320x240: %zu frames at %.1f fps (camera %.1f)\n", format == WireFormat::YUY2 ? "YUYV" : "MJPEG",
                frames.size(), measured, fps);
  }
}

namespace {

// True when the camera logs "set <entity> <selector> <value>" after line `after`.
bool Reached(int entity, int selector, long value, int after) {
  return TestCamera::WaitForEvent(QString("set %1 %2 %3").arg(entity).arg(selector).arg(value), after, 10s);
}

}  // namespace

TEST(Kernel, EveryPropertyReachesTheDriverAndReadsBack) {
  auto source = OpenCamera();
  ASSERT_TRUE(source);
  auto amp = QueryInterface<IAMVideoProcAmp>(source);
  auto camera = QueryInterface<IAMCameraControl>(source);
  auto ks = QueryInterface<IKsPropertySet>(source);
  ASSERT_TRUE(amp && camera && ks);
  const int pu = testcam::kProcessingUnit;
  const int ct = testcam::kCameraTerminal;

  struct Plain {
    long property;
    std::uint8_t selector;
    long value;
  };
  for (const Plain& p : {Plain{VideoProcAmp_Brightness, testcam::pu::kBrightness, -20},
                         Plain{VideoProcAmp_Contrast, testcam::pu::kContrast, 70},
                         Plain{VideoProcAmp_Hue, testcam::pu::kHue, 45},
                         Plain{VideoProcAmp_Saturation, testcam::pu::kSaturation, 150},
                         Plain{VideoProcAmp_Sharpness, testcam::pu::kSharpness, 9},
                         Plain{VideoProcAmp_Gamma, testcam::pu::kGamma, 220},
                         Plain{VideoProcAmp_Gain, testcam::pu::kGain, 100}}) {
    SCOPED_TRACE(p.property);
    const testcam::Control* c = testcam::FindControl(testcam::kProcessingUnit, p.selector);
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    ASSERT_EQ(amp->GetRange(p.property, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, c->min);
    EXPECT_EQ(max, c->max);
    EXPECT_EQ(def, c->def);
    EXPECT_EQ(caps, VideoProcAmp_Flags_Manual);
    const int mark = TestCamera::Events().size();
    ASSERT_EQ(amp->Set(p.property, p.value, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_TRUE(Reached(pu, p.selector, p.value, mark));
    long value = 0, flags = 0;
    ASSERT_EQ(amp->Get(p.property, &value, &flags), S_OK);
    EXPECT_EQ(value, p.value);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
  }

  // White balance and its automatic partner.
  {
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    ASSERT_EQ(amp->GetRange(VideoProcAmp_WhiteBalance, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, 2800);
    EXPECT_EQ(max, 6500);
    EXPECT_EQ(step, 10);
    EXPECT_EQ(caps, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual);
    int mark = TestCamera::Events().size();
    ASSERT_EQ(amp->Set(VideoProcAmp_WhiteBalance, 5000, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_TRUE(Reached(pu, testcam::pu::kWhiteBalanceAuto, 0, mark));
    EXPECT_TRUE(Reached(pu, testcam::pu::kWhiteBalance, 5000, mark));
    long value = 0, flags = 0;
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(value, 5000);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
    mark = TestCamera::Events().size();
    ASSERT_EQ(amp->Set(VideoProcAmp_WhiteBalance, 5000, VideoProcAmp_Flags_Auto), S_OK);
    EXPECT_TRUE(Reached(pu, testcam::pu::kWhiteBalanceAuto, 1, mark));
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
  }

  // Exposure in log2 seconds, both ways: 2^-6 s is 156 × 100 µs, 2^-3 s is 1250.
  {
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    ASSERT_EQ(camera->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, -13);  // 100 µs
    EXPECT_EQ(max, 0);    // 1 s
    EXPECT_EQ(def, -6);   // 15.6 ms
    EXPECT_EQ(caps, CameraControl_Flags_Auto | CameraControl_Flags_Manual);
    int mark = TestCamera::Events().size();
    ASSERT_EQ(camera->Set(CameraControl_Exposure, -3, CameraControl_Flags_Manual), S_OK);
    EXPECT_TRUE(Reached(ct, testcam::ct::kAeMode, testcam::ct::kAeManual, mark));
    EXPECT_TRUE(Reached(ct, testcam::ct::kExposureAbsolute, 1250, mark));
    long value = 0, flags = 0;
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -3);
    EXPECT_EQ(flags, CameraControl_Flags_Manual);
    mark = TestCamera::Events().size();
    ASSERT_EQ(camera->Set(CameraControl_Exposure, -6, CameraControl_Flags_Manual), S_OK);
    EXPECT_TRUE(Reached(ct, testcam::ct::kExposureAbsolute, 156, mark));
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -6);
    mark = TestCamera::Events().size();
    ASSERT_EQ(camera->Set(CameraControl_Exposure, -6, CameraControl_Flags_Auto), S_OK);
    EXPECT_TRUE(Reached(ct, testcam::ct::kAeMode, testcam::ct::kAeAperturePriority, mark));
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(flags, CameraControl_Flags_Auto);
  }

  // The power-line frequency through the property set, as the program sets it.
  for (std::int32_t frequency : {1, 2, 1}) {  // 50 Hz, 60 Hz, 50 Hz
    KSPROPERTY_VIDEOPROCAMP_S data{PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, 0,
                                   frequency, 2, 0, 0};
    const int mark = TestCamera::Events().size();
    ASSERT_EQ(ks->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, &data.Value, 16,
                      &data, sizeof data),
              S_OK);
    EXPECT_TRUE(Reached(pu, testcam::pu::kPowerLine, frequency, mark)) << frequency;
    KSPROPERTY_VIDEOPROCAMP_S read{};
    std::uint32_t returned = 0;
    ASSERT_EQ(ks->Get(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, nullptr, 0, &read,
                      sizeof read, &returned),
              S_OK);
    EXPECT_EQ(read.Value, frequency);
  }
}

TEST(Kernel, AButtonPressOnTheCameraReachesTheStillCallback) {
  auto source = OpenCamera();
  ASSERT_TRUE(source);
  auto factory = MakeFactory();
  Graph graph(*factory, source);
  ASSERT_TRUE(graph.Connect());
  ASSERT_TRUE(graph.Run());
  ASSERT_TRUE(testsupport::WaitFor([&] { return graph.frames.Count() > 0; }, 60s));
  for (int press = 1; press <= 2; ++press) {
    ASSERT_TRUE(TestCamera::Send("button"));
    EXPECT_TRUE(testsupport::WaitFor([&] { return graph.stills.presses >= press; }, 30s)) << "press " << press;
  }
  graph.Stop();
  EXPECT_EQ(graph.stills.presses, 2);
}

TEST(Kernel, UnplugTakesTheGraphDownAndReplugBringsFramesBack) {
  platform::DeviceMonitor monitor;
  ASSERT_TRUE(monitor.Register()) << "no udev monitor";
  std::vector<int> changes;
  QObject::connect(&monitor, &platform::DeviceMonitor::deviceChange, [&](int e) { changes.push_back(e); });
  auto factory = MakeFactory();
  auto source = OpenCamera();
  ASSERT_TRUE(source);
  auto graph = std::make_shared<Graph>(*factory, source);
  ASSERT_TRUE(graph->Connect());
  ASSERT_TRUE(graph->Run());
  ASSERT_TRUE(testsupport::WaitFor([&] { return graph->frames.Count() > 2; }, 60s));

  int mark = TestCamera::Events().size();
  ASSERT_TRUE(TestCamera::Send("unplug"));
  ASSERT_TRUE(TestCamera::WaitForEvent("unplugged", mark));
  EXPECT_TRUE(testsupport::WaitFor(
      [&] { return std::count(changes.begin(), changes.end(), platform::DBT_DEVICEREMOVECOMPLETE) > 0; }, 30s));
  // Taken down as the program does on removal: stopped, then released; it must return.
  auto down = std::make_shared<std::promise<void>>();
  std::future<void> downDone = down->get_future();
  std::thread([down, g = std::move(graph), s = std::move(source)]() mutable {
    g->Stop();
    g.reset();
    s.reset();
    down->set_value();
  }).detach();
  ASSERT_EQ(downDone.wait_for(30s), std::future_status::ready) << "the graph hangs after the unplug";
  EXPECT_FALSE(FindTestCamera()) << "an unplugged camera is still listed";

  changes.clear();
  mark = TestCamera::Events().size();
  ASSERT_TRUE(TestCamera::Send("plug"));
  EXPECT_TRUE(testsupport::WaitFor(
      [&] { return std::count(changes.begin(), changes.end(), platform::DBT_DEVICEARRIVAL) > 0; }, 60s));
  ASSERT_TRUE(WaitForTestCamera());
  auto again = OpenCamera();
  ASSERT_TRUE(again);
  Graph rebuilt(*factory, again);
  ASSERT_TRUE(rebuilt.Connect());
  ASSERT_TRUE(rebuilt.Run());
  ASSERT_TRUE(testsupport::WaitFor([&] { return rebuilt.frames.Count() > 3; }, 60s));
  rebuilt.Stop();
  EXPECT_FALSE(FromFirstGood(rebuilt.frames.Take()).empty()) << "no frame with the pattern after the replug";
}
