// The view (control 1000): shows the composed picture stretched to its whole
// rectangle, without smoothing. The display worker hands pictures over; the view
// paints on the UI thread.
#pragma once

#include <QWidget>

#include <mutex>

#include "outside/ximage.h"

class CVideoView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int IDC = 1000;

  explicit CVideoView(QWidget* parent);

  // Any thread: swaps `picture` with the one shown (the caller gets the previous one
  // back to reuse) and asks for a repaint.
  void Publish(CxImage& picture);
  // A copy of the picture shown (for tests).
  CxImage Shown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  mutable std::mutex m_lock;  // guards m_picture between the worker and the paint
  CxImage m_picture;
};
