// The capture session: the camera from discovery to frames, with no widgets. It builds
// and runs the capture graph on the camera, keeps the resolution lists (as data), the
// power-line frequency and the still trigger, takes in every frame under the frame
// lock, and follows the camera being unplugged and plugged back. It reports to its
// owner through its signals.
//
// Calls in come from the UI thread, except the frame and still callbacks, which the
// graph makes on the camera's threads. The signals marked "UI thread" are emitted from
// the session's own calls there; frameReady and stillPressed come from the camera's
// threads, so what they are connected to (directly) may only hand work over, never wait
// for the UI thread.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "capture/frame_state.h"
#include "capture/graph_state.h"
#include "capture/resolution_model.h"
#include "flash/camera_params.h"
#include "flash/param_store.h"
#include "platform/graph/interfaces.h"
#include "view/view_settings.h"

class CameraDiscovery;
class UserFiles;

namespace platform {
class DeviceMonitor;
}

class CaptureSession final : public QObject, public CBCLS, public ISampleGrabberCB {
  Q_OBJECT

 public:
  // cameras: the camera search and the device services; texts: where failure texts
  // are looked up. Both outlive the session.
  CaptureSession(CameraDiscovery& cameras, const UserFiles& texts, bool serviceMode);
  // Takes the graph down.
  ~CaptureSession();

  // Camera arrival and removal from the device monitor (and the virtual camera's plug
  // and unplug); without udev the program simply sees none.
  void RegisterDeviceNotification();
  void UnregisterDeviceNotification();
  // Searches for cameras and builds the graph on the first one found; false when none.
  bool OpenFirstCamera();
  // Takes the graph down (the last pictures stay).
  void CloseCamera();
  // Searches again and builds the graph on the first camera found, as a newly arrived
  // camera is built (the flash read anew). Without a camera nothing is built and the
  // window keeps showing that none is there.
  void RebuildOnFirstCamera();
  // The members the camera's flash feeds, for its reads and writes.
  FlashParams FlashMembers();
  // Forgets the frame, raw and shown pictures.
  void ReleasePictures();

  // The capture graph.
  bool SelectCamera(const std::shared_ptr<IMoniker>& moniker);
  bool BuildGraph();
  bool ConnectGraph();
  bool StartPreview();
  bool StopPreview();
  void DisconnectGraph();
  void RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter);
  void ReleaseGraph();

  // Freeze (false) and play (true) while the camera runs: the preview is wanted or not.
  void SetPreviewWanted(bool wanted);
  // Play when no picture runs (no camera yet, the camera gone, or frozen across a change
  // of resolution): the preview is wanted again and ends live when a camera can give it.
  // Whether the preview runs.
  bool Play();
  // The entry `index` of a family's resolution list: marks it and restarts the stream
  // with its capability.
  void SelectResolution(FormatFamily family, int index);
  void RestartWithCapability(int capability);
  void SetPowerLine50Hz();
  void SetPowerLine60Hz();
  // Switches automatic exposure (and gain) over; false, changing nothing, when no
  // camera is in use or it has no exposure control.
  bool ToggleExposure();

  // Events 0x8000 (arrival) and 0x8004 (removal); every event re-arms the still trigger.
  void OnDeviceChange(int event);

  // The stall watch, every second while the preview runs: a camera that sends no frame
  // for the stall timeout has its stream restarted; after that many restarts without a
  // frame it counts as removed. Public so that tests drive it with their own clock.
  static constexpr std::chrono::milliseconds kStallTimeout{3000};
  static constexpr int kStallRestarts = 3;
  void CheckStall();
  std::function<std::chrono::steady_clock::time_point()> m_clock = [] { return std::chrono::steady_clock::now(); };

  // A capture source is in use (the camera may not have sent a frame yet).
  bool HasCaptureSource() const { return m_graph.m_pSourceFilter != nullptr; }
  // The camera runs: a frame picture and a capture source exist.
  bool CameraRuns() const;
  // A frame has arrived: the frame picture exists.
  bool HasFramePicture() const;
  // The pictures, each taken under the frame lock; null when there is none.
  std::shared_ptr<const CxImage> FramePicture() const;
  // The frame picture with its stamp (sequence 0 when there is none).
  std::shared_ptr<const CxImage> FramePicture(FrameStamp& stamp) const;
  std::shared_ptr<const CxImage> RawPicture() const;
  std::shared_ptr<const CxImage> ShownPicture() const;
  // The shown picture, as the display composed it from the frame picture.
  void SetShownPicture(std::shared_ptr<const CxImage> picture);

  const ResolutionModel& Resolutions() const { return m_resolutions; }
  bool IsServiceMode() const { return m_bServiceMode; }

  // Frames, on the streaming threads.
  int FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) override;
  HRESULT QueryInterface(const GUID& iid, void** object) override;
  unsigned long AddRef() override { return 2; }
  unsigned long Release() override { return 1; }
  HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;
  HRESULT BufferCB(double sampleTime, std::uint8_t* buffer, long length) override;

  // State, by concern.
  CaptureGraphState m_graph;
  FrameState m_frame;
  ViewSettings m_view;
  OverlaySettings m_overlay;
  CameraParams m_camera;
  // The still trigger: the first still buffer after an event only arms it. The still
  // thread's test-and-arm and the UI thread's re-arm each change both flags as one step
  // under m_stillLock, so a re-arm is never undone by a buffer handled at the same time.
  std::atomic<bool> m_bStillPending{true};
  std::atomic<bool> m_bStillArmed{false};

 signals:
  // UI thread: the preview is about to start, or the stream restarts at another size.
  void previewStarting();
  // UI thread: the preview runs.
  void previewStarted();
  // UI thread: the preview stopped.
  void previewStopped();
  // UI thread: a graph build read the camera's flash: the view, overlay and camera
  // settings may all have changed.
  void parametersRead();
  // UI thread: the resolution lists were made anew (their mark included).
  void resolutionListsChanged(const ResolutionModel& model);
  // UI thread: only the marked entry changed.
  void resolutionMarked(const ResolutionModel& model);
  // UI thread: the power-line frequency marked (1 = 50 Hz, otherwise 60 Hz) and
  // whether it can be chosen now.
  void powerLineChanged(int frequency, bool available);
  // UI thread: the camera went away; the graph is down, the last picture stays.
  void cameraGone();
  // UI thread: a camera arrived and the graph is about to be built on it.
  void cameraArriving();
  // UI thread: a camera that arrived (or was searched for again) was built; its
  // preview runs when it could be started.
  void cameraArrived();
  // UI thread: the camera sent no frame through its restarts and now counts as removed
  // (cameraGone came just before).
  void cameraStalled();
  // Streaming thread: a new frame picture (width × height, as the camera sent it) is in.
  void frameReady(int width, int height);
  // Still thread: the camera's snapshot button was pressed (and the trigger was armed).
  void stillPressed();

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  // The camera taken down as when it is unplugged: the lists and the frequency greyed.
  void TakeCameraAway();
  // The first camera of a new search built as an arrived one, between cameraArriving
  // and cameraArrived.
  void BuildArrivedCamera();
  bool BuildGraphFilters();
  void BuildResolutionLists();
  void SelectStoredFormat();
  // The shown lists of the family in use (both families in service mode).
  void ShowResolutionLists();
  // The entries of a family, every listed capability of it, in list order.
  const std::vector<ResolutionEntry>& EntriesOf(FormatFamily family) const;
  void ApplyPowerLineFromSettings();
  void SetPowerLine(int frequency);
  void DerivePanCentre();
  void RearmStill();
  // The frame through the view transform into a picture nobody else holds; null when
  // the frame cannot be shown.
  std::shared_ptr<const CxImage> TransformFrame(const std::uint8_t* pixels, int width, int height,
                                                int bitsPerPixel);
  void KeepRawFrame(const std::uint8_t* pixels, int width, int height, int bitsPerPixel);

  CameraDiscovery& m_cameras;
  const UserFiles& m_texts;
  const bool m_bServiceMode;
  ResolutionModel m_resolutions;
  // Every listed capability by family, whatever the shown lists hold.
  std::vector<ResolutionEntry> m_yuvEntries;
  std::vector<ResolutionEntry> m_mjpgEntries;
  bool m_bPowerLineAvailable = false;
  // The stall watch (UI thread; the frame count is written on the streaming thread).
  std::atomic<std::uint64_t> m_frameCount{0};
  std::uint64_t m_stallFrameCount = 0;
  std::chrono::steady_clock::time_point m_lastProgress;
  int m_stallRestarts = 0;
  QBasicTimer m_stallTimer;
  std::unique_ptr<platform::DeviceMonitor> m_hDevNotify;
  // The frame grabber, asked from inside FrameCB when the camera captured the frame;
  // set before its callback is, cleared after the callback was taken back (which waits
  // for a FrameCB in progress).
  std::atomic<IFrameGrabberCallback*> m_frameTimes{nullptr};
  int m_plugListener = -1;
  std::mutex m_stillLock;  // taken alone, for the two still flags' changes only
};
