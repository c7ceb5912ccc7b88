// The view (control 1000): the live picture, stretched to the whole rectangle.
#pragma once

#include <QWidget>

class CVideoView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int IDC = 1000;

  explicit CVideoView(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
