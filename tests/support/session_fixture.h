// A capture session on a fresh user account, without a window: the per-user files,
// the camera search over scripted or virtual-camera services, and a listener that
// records every report the session makes.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/platform_setup.h"
#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "capture/resolution_model.h"
#include "outside/alc_backend.h"
#include "platform/virtualcam/virtual_camera.h"
#include "support/scripted_platform.h"
#include "support/user_folders.h"
#include "support/wait.h"
#include "texts/user_files.h"

namespace testsupport {

// Every report of a capture session, as it came.
class CaptureReports {
 public:
  void Follow(CaptureSession& session) {
    QObject::connect(&session, &CaptureSession::previewStarting, [this] { ++previewStarting; });
    QObject::connect(&session, &CaptureSession::previewStarted, [this] { ++previewStarted; });
    QObject::connect(&session, &CaptureSession::previewStopped, [this] { ++previewStopped; });
    QObject::connect(&session, &CaptureSession::resolutionListsChanged, [this](const ResolutionModel& model) {
      lists = model;
      ++listChanges;
    });
    QObject::connect(&session, &CaptureSession::resolutionMarked, [this](const ResolutionModel& model) { lists = model; });
    QObject::connect(&session, &CaptureSession::powerLineChanged, [this](int frequency, bool available) {
      powerLine = frequency;
      powerLineAvailable = available;
    });
    QObject::connect(&session, &CaptureSession::cameraGone, [this] { ++cameraGone; });
    QObject::connect(&session, &CaptureSession::cameraArriving, [this] { ++cameraArriving; });
    // Without a context object these are called where they are emitted, the last two on
    // the camera's threads.
    QObject::connect(&session, &CaptureSession::frameReady, [this](int width, int height) {
      std::lock_guard<std::mutex> lock(frameLock);
      lastFrameWidth = width;
      lastFrameHeight = height;
      ++frames;
    });
    QObject::connect(&session, &CaptureSession::stillPressed, [this] { ++stills; });
  }

  int Frames() const {
    std::lock_guard<std::mutex> lock(frameLock);
    return frames;
  }

  int previewStarting = 0;
  int previewStarted = 0;
  int previewStopped = 0;
  int listChanges = 0;
  ResolutionModel lists;
  int powerLine = -1;
  bool powerLineAvailable = false;
  int cameraGone = 0;
  int cameraArriving = 0;
  std::atomic<int> stills{0};

  mutable std::mutex frameLock;
  int frames = 0;
  int lastFrameWidth = 0;
  int lastFrameHeight = 0;
};

class SessionTest : public ::testing::Test {
 protected:
  // Makes the session without opening a camera; without services given, on a machine
  // with no camera.
  void Create(bool serviceMode = false, std::optional<PlatformServices> services = std::nullopt) {
    // A user who picked Chinese: the messages are checked in it.
    ASSERT_TRUE(user.ChooseLanguage(QStringLiteral("Chinese")));
    files.Prepare();
    cameras = std::make_unique<CameraDiscovery>(services ? std::move(*services) : NoDeviceServices(), files);
    cameras->m_showMessage = [this](const QString& text) { messages.push_back(text); };
    session = std::make_unique<CaptureSession>(*cameras, files, serviceMode);
    reports.Follow(*session);
    session->RegisterDeviceNotification();
  }
  // Makes the session and opens the first camera, as the program does at start-up.
  void Open(bool serviceMode = false, std::optional<PlatformServices> services = std::nullopt) {
    Create(serviceMode, std::move(services));
    opened = session->OpenFirstCamera();
  }
  void CreateWithCamera(platform::VirtualCameraOptions options = {}, bool serviceMode = false) {
    camera = std::make_shared<platform::VirtualCamera>(std::move(options));
    Create(serviceMode, MakeVirtualCameraServices(camera));
  }
  void OpenWithCamera(platform::VirtualCameraOptions options = {}, bool serviceMode = false) {
    CreateWithCamera(std::move(options), serviceMode);
    opened = session->OpenFirstCamera();
  }
  // Writes bytes into the virtual camera's flash, from address on: what a graph build
  // reads as the stored format, view and camera settings.
  void WriteCameraFlash(std::uint32_t address, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) ASSERT_TRUE(camera->WriteFlash(address++, b));
  }
  bool WaitForFrame() {
    return WaitFor([this] { return session->HasFramePicture(); });
  }
  void TearDown() override {
    if (session) {
      session->CloseCamera();
      session->UnregisterDeviceNotification();
    }
    session.reset();
    cameras.reset();
    camera.reset();
    alc::InstallBackend(nullptr);
  }

  ScopedUserFolders user;
  UserFiles files;
  std::unique_ptr<CameraDiscovery> cameras;
  CaptureReports reports;
  std::unique_ptr<CaptureSession> session;
  std::shared_ptr<platform::VirtualCamera> camera;
  std::vector<QString> messages;  // the message boxes the program would have shown
  bool opened = false;
};

}  // namespace testsupport
