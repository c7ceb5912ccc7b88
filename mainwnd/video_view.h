// The view (control 1000): shows the composed picture stretched to its whole
// rectangle, without smoothing. The display worker hands pictures over; the view
// paints on the UI thread.
#pragma once

#include <QWidget>

#include <memory>
#include <mutex>

#include "outside/ximage.h"
#include "view/frame_stamp.h"

class PaintDelay;

class CVideoView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int IDC = 1000;

  explicit CVideoView(QWidget* parent);

  // Any thread: shows this picture (of the camera frame stamped so) from the next paint on.
  void Publish(std::shared_ptr<const CxImage> picture, FrameStamp stamp = {});
  // The picture shown.
  std::shared_ptr<const CxImage> Shown() const;
  // UI thread: every paint is told to this counter (not owned; null: none).
  void SetPaintDelay(PaintDelay* delay) { m_paintDelay = delay; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  mutable std::mutex m_lock;  // guards the pointer between the worker and the paint
  std::shared_ptr<const CxImage> m_picture;
  FrameStamp m_stamp;  // guarded by m_lock, with the picture
  PaintDelay* m_paintDelay = nullptr;
};
