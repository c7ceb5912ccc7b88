// What the capture session reports to its owner. Reports marked "UI thread" come from
// the session's own calls on the UI thread; the frame and still reports come from the
// camera's threads and may only hand work over (post), never wait for the UI thread.
#pragma once

struct ResolutionModel;

class CaptureListener {
 public:
  virtual ~CaptureListener() = default;

  // UI thread: the preview is about to start, or the stream restarts at another size.
  virtual void OnPreviewStarting() = 0;
  // UI thread: the preview runs.
  virtual void OnPreviewStarted() = 0;
  // UI thread: the preview stopped.
  virtual void OnPreviewStopped() = 0;
  // UI thread: the resolution lists were made anew (their marks included).
  virtual void OnResolutionListsChanged(const ResolutionModel& model) = 0;
  // UI thread: only the marked entry changed.
  virtual void OnResolutionMarked(const ResolutionModel& model) = 0;
  // UI thread: the power-line frequency marked (1 = 50 Hz, otherwise 60 Hz) and
  // whether it can be chosen now.
  virtual void OnPowerLineChanged(int frequency, bool available) = 0;
  // UI thread: the camera went away; the graph is down, the last picture stays.
  virtual void OnCameraGone() = 0;
  // UI thread: a camera arrived and the graph is about to be built on it.
  virtual void OnCameraArriving() = 0;

  // Streaming thread: a new frame picture (width × height, as the camera sent it) is in.
  virtual void OnFrameReady(int width, int height) = 0;
  // Still thread: the camera's snapshot button was pressed (and the trigger was armed).
  virtual void OnStillPressed() = 0;
};
