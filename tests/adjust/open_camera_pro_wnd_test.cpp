// Opening the property window modally: the camera read into the parameters, and how
// OK, Cancel and Apply then Cancel leave the camera.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <functional>

#include "adjust/camera_pro_wnd.h"
#include "adjust/open_camera_pro_wnd.h"
#include "recording_camera.h"
#include "texts/user_files.h"

using adjusttest::RecordingCamera;
using testing::ElementsAre;
using W = CCameraProWnd;

namespace {

class OpenCameraProWnd : public ::testing::Test {
 protected:
  void SetUp() override {
    m_files.Prepare();
    auto set = [this](long property, long value, long flags) {
      camera.Amp(property).value = value;
      camera.Amp(property).flags = flags;
    };
    set(VideoProcAmp_Brightness, 10, 2);
    set(VideoProcAmp_Contrast, 40, 2);
    set(VideoProcAmp_Hue, 0, 2);
    set(VideoProcAmp_Saturation, 70, 2);
    set(VideoProcAmp_Sharpness, 3, 2);
    set(VideoProcAmp_Gamma, 120, 2);
    set(VideoProcAmp_WhiteBalance, 5000, 1);
    set(VideoProcAmp_Gain, 30, 2);
    camera.Exposure().value = -7;
    camera.Exposure().flags = 2;
  }

  // Runs the window modally; `act` runs inside it once it is shown and has reported,
  // and must end it.
  int Run(const CameraProperties& interfaces, std::function<void(W&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
      auto* wnd = qobject_cast<W*>(QApplication::activeModalWidget());
      if (!wnd) {
        ADD_FAILURE() << "the property window is not the modal window";
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (auto* found = qobject_cast<W*>(w)) found->reject();
        }
        return;
      }
      QCoreApplication::sendPostedEvents(wnd, QEvent::MetaCall);
      act(*wnd);
    });
    return RunCameraProWnd(interfaces, params, m_files, ProWndRects{{0, 0, 400, 300}, std::nullopt, 1366}, nullptr);
  }

  static void Move(W& wnd, W::Row row, int value) {
    wnd.Slider(row)->setValue(value);
    QCoreApplication::sendPostedEvents(&wnd, QEvent::MetaCall);
  }
  static void Click(W& wnd, int id) { static_cast<QPushButton*>(wnd.GetDlgItem(id))->click(); }

  RecordingCamera camera;
  CameraParams params;
  UserFiles m_files;
};

// The Sets of a Cancel restore of these values, in the order it makes them.
std::vector<std::string> Restore(int brightness, int contrast, int saturation, int hue, int sharpness, int gamma,
                                 const std::string& gain, const std::string& whiteBalance, const std::string& exposure) {
  auto s = [](const char* name, int v) { return std::string(name) + "=" + std::to_string(v) + "/2"; };
  return {s("brightness", brightness), s("contrast", contrast), s("saturation", saturation), s("hue", hue),
          s("sharpness", sharpness),   s("gamma", gamma),       "gain=" + gain,        "whitebalance=" + whiteBalance,
          "exposure=" + exposure};
}

// A filter that offers no property interface: the window opens with every row disabled.
class BareFilter : public IBaseFilter {
 public:
  HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>& pins) override {
    pins.clear();
    return S_OK;
  }
  HRESULT QueryFilterInfo(FILTER_INFO& info) override {
    info = {};
    return S_OK;
  }
};

std::vector<std::string> Tail(const std::vector<std::string>& v, std::size_t n) {
  return v.size() < n ? v : std::vector<std::string>(v.end() - static_cast<std::ptrdiff_t>(n), v.end());
}

}  // namespace

TEST_F(OpenCameraProWnd, OpeningReadsTheCameraIntoTheParameters) {
  params.m_bGainAuto = true;
  ReadCameraAtOpening(camera.Properties(), params);
  EXPECT_EQ(params.m_nBrightness, 10);
  EXPECT_EQ(params.m_nContrast, 40);
  EXPECT_EQ(params.m_nSaturation, 70);
  EXPECT_EQ(params.m_nSharpness, 3);
  EXPECT_EQ(params.m_nGamma, 120);
  EXPECT_EQ(params.m_nWhiteBalance, 5000);
  EXPECT_TRUE(params.m_bWhiteBalanceAuto);
  EXPECT_EQ(params.m_nGain, 30);
  EXPECT_EQ(params.m_nExposure, -7);
  EXPECT_FALSE(params.m_bExposureAuto);
  EXPECT_FALSE(params.m_bGainAuto);  // gain follows the exposure's mode, not its own

  // An exposure that cannot be read keeps both modes; a missing interface is not asked.
  camera.Exposure().value = -3;
  camera.Exposure().flags = 1;
  camera.Exposure().failGet = true;
  camera.Amp(VideoProcAmp_Gamma).failGet = true;
  camera.Amp(VideoProcAmp_Gamma).value = 200;
  ReadCameraAtOpening(camera.Properties(), params);
  EXPECT_EQ(params.m_nExposure, -7);
  EXPECT_FALSE(params.m_bExposureAuto);
  EXPECT_EQ(params.m_nGamma, 120);
  camera.Clear();
  ReadCameraAtOpening(CameraProperties{}, params);
  EXPECT_TRUE(camera.Calls().empty());
}

TEST_F(OpenCameraProWnd, CancelPutsAllNineBackIncludingUnmovedOnes) {
  const int result = Run(camera.Properties(), [](W& wnd) {
    Move(wnd, W::Brightness, -30);
    Move(wnd, W::Gain, 80);
    Click(wnd, W::IDCANCEL);
  });
  EXPECT_EQ(result, W::IDCANCEL);
  EXPECT_EQ(Tail(camera.Sets(), 9), Restore(10, 40, 70, 0, 3, 120, "30/2", "5000/1", "-7/2"));
  EXPECT_EQ(camera.Amp(VideoProcAmp_Brightness).value, 10);
  EXPECT_EQ(camera.Amp(VideoProcAmp_Gain).value, 30);
  EXPECT_EQ(camera.Amp(VideoProcAmp_WhiteBalance).flags, 1);
}

TEST_F(OpenCameraProWnd, ApplyThenCancelLeavesTheCameraAsItWasAtApply) {
  const int result = Run(camera.Properties(), [](W& wnd) {
    Move(wnd, W::Brightness, 25);
    static_cast<QAbstractButton*>(wnd.GetDlgItem(1013))->click();  // exposure and gain automatic
    Click(wnd, W::IDC_APPLY);
    Move(wnd, W::Brightness, -40);
    Move(wnd, W::Contrast, 90);
    wnd.close();  // the close button is Cancel too
  });
  EXPECT_EQ(result, W::IDCANCEL);
  EXPECT_EQ(params.m_nBrightness, 25);
  EXPECT_TRUE(params.m_bExposureAuto);
  EXPECT_FALSE(params.m_bGainAuto);  // Apply read the gain's own mode, which the box did not send
  // The white balance's first report made it manual before Apply read it.
  EXPECT_FALSE(params.m_bWhiteBalanceAuto);
  EXPECT_EQ(Tail(camera.Sets(), 9), Restore(25, 40, 70, 0, 3, 120, "30/2", "5000/2", "-7/1"));
  EXPECT_EQ(camera.Amp(VideoProcAmp_Contrast).value, 40);
}

TEST_F(OpenCameraProWnd, OkLeavesTheCameraAsTheSlidersLastSentIt) {
  const int result = Run(camera.Properties(), [](W& wnd) {
    Move(wnd, W::Hue, 900);
    Click(wnd, W::IDOK);
  });
  EXPECT_EQ(result, W::IDOK);
  EXPECT_EQ(camera.Sets().back(), "hue=900/2");
  EXPECT_EQ(camera.Amp(VideoProcAmp_Hue).value, 900);
  EXPECT_EQ(params.m_nHue, 0);  // only Apply changes the parameters
}

TEST_F(OpenCameraProWnd, CancelSkipsAnInterfaceTheSourceDoesNotOffer) {
  Run(camera.WithoutCameraControl(), [](W& wnd) { Click(wnd, W::IDCANCEL); });
  std::vector<std::string> withoutExposure = Restore(10, 40, 70, 0, 3, 120, "30/2", "5000/1", "");
  withoutExposure.pop_back();
  EXPECT_EQ(Tail(camera.Sets(), 8), withoutExposure);
  EXPECT_THAT(camera.Sets(), testing::Not(testing::Contains(testing::HasSubstr("exposure"))));

  camera.Clear();
  Run(camera.WithoutVideoProcAmp(), [](W& wnd) { Click(wnd, W::IDCANCEL); });
  EXPECT_THAT(camera.Sets(), ElementsAre("exposure=-7/2", "exposure=-7/2"));
}

TEST_F(OpenCameraProWnd, ThePropertyCommandNeedsACaptureSourceAndAFrameGrabber) {
  const auto source = std::make_shared<BareFilter>();
  const auto grabber = std::make_shared<BareFilter>();
  const ProWndRects rects{{0, 0, 400, 300}, std::nullopt, 1366};
  // Without either nothing opens (a window would wait here for a click that never comes).
  EXPECT_EQ(::OpenCameraProWnd(nullptr, grabber, params, m_files, rects, nullptr), 0);
  EXPECT_EQ(::OpenCameraProWnd(source, nullptr, params, m_files, rects, nullptr), 0);

  bool opened = false;
  QTimer::singleShot(0, [&opened] {
    if (auto* wnd = qobject_cast<W*>(QApplication::activeModalWidget())) {
      opened = true;
      EXPECT_FALSE(wnd->Slider(W::Brightness)->isEnabled());
      EXPECT_FALSE(wnd->Slider(W::Exposure)->isEnabled());
      wnd->reject();
      return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<W*>(w)) found->reject();
    }
  });
  EXPECT_EQ(::OpenCameraProWnd(source, grabber, params, m_files, rects, nullptr), W::IDCANCEL);
  EXPECT_TRUE(opened);
}
