// The pan and zoom window: a modeless service window that chooses which square of the
// camera picture the live view shows (two scroll bars move its centre, three buttons
// its magnification, a double-click on the preview fits it to the bright circular
// field) and edits the edge mask and the crosshair. Every change goes straight into the
// view and overlay settings it is given; a mask or crosshair change rebuilds the
// overlay at once. Hiding the window confirms or undoes nothing.
//
// UI thread only. The pictures are read through the functions given, which take the
// frame lock only for the pointer; the square is drawn and scaled outside it.
#pragma once

#include <QDialog>
#include <QRect>

#include <functional>
#include <map>
#include <memory>

#include "adjust/move_preview.h"
#include "adjust/window_timers.h"
#include "outside/ximage.h"
#include "view/view_settings.h"

class CColourButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class UserFiles;

// The frame picture with the size of the last frame, taken together.
struct FramePictureAndSize {
  std::shared_ptr<const CxImage> picture;
  int width = 0;
  int height = 0;
};

// How the window reads the camera's pictures; each function takes the frame lock only
// for the pointer (and the size that goes with it) and returns null when there is none.
struct MoveWndPictures {
  std::function<std::shared_ptr<const CxImage>()> rawPicture;  // as the camera sent it (service mode)
  std::function<FramePictureAndSize()> framePicture;           // after the view transform
};

// The window's own state.
struct MoveWndState {
  int panX = 0;  // pan centre in frame pixels; y from the top (the vertical scroll position)
  int panY = 0;
  float magnification = 1.0f;
  float offsetX = 0.0f;  // -1 … 1, as last shown
  float offsetY = 0.0f;
  COLORREF squareColour = 0x0000FF;
  int maskOn = 0;  // the check boxes 1006 and 1007
  int crossOn = 0;
  float maskSize = 0.0f;
  float crossSize = 0.0f;
  COLORREF maskColour = 0;
  COLORREF crossColour = 0;
};

// Where the window goes beside the main window (frame ownerFrame): at its right edge and
// top, or against the screen's right edge (screenRight, one past its last column) when
// a client area clientWidth wide would not fit there.
QPoint PlaceBesideOwner(const QRect& ownerFrame, int clientWidth, int screenRight);

class CMoveWnd : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 132;
  // Control ids.
  enum : int {
    IDC_PREVIEW = 1000,
    IDC_PAN_RESET = 1002,
    IDC_MAGNIFY = 1003,
    IDC_REDUCE = 1004,
    IDC_MAGNIFICATION_RESET = 1005,
    IDC_MASK_ON = 1006,
    IDC_CROSS_ON = 1007,
    IDC_MASK_LARGER = 1009,
    IDC_CROSS_LARGER = 1011,
    IDC_CROSS_SMALLER = 1012,
    IDC_PAN_GROUP = 1017,
    IDC_MAGNIFICATION_GROUP = 1018,
    IDC_VERTICAL_LABEL = 1019,
    IDC_HORIZONTAL_LABEL = 1020,
    IDC_MAGNIFICATION_LABEL = 1021,
    IDC_VERTICAL_OFFSET = 1022,
    IDC_HORIZONTAL_OFFSET = 1023,
    IDC_MAGNIFICATION = 1024,
    IDC_MASK_GROUP = 1025,
    IDC_CROSS_GROUP = 1026,
    IDC_HSCROLL = 1027,
    IDC_VSCROLL = 1028,
    IDC_SQUARE_COLOUR = 1029,
    IDC_CROSS_COLOUR = 1031,
    IDC_MASK_COLOUR = 1057,
    IDC_MASK_SMALLER = 1059,
    IDC_MASK_SIZE = 1067,
    IDC_CROSS_SIZE = 1068,
  };
  // Timer ids: the preview, and the repeat of each held size button.
  enum : int { kPreviewTimer = 1, kMaskLargerTimer = 2, kMaskSmallerTimer = 3, kCrossLargerTimer = 4, kCrossSmallerTimer = 5 };
  static constexpr std::chrono::milliseconds kPreviewPeriod{50};
  static constexpr std::chrono::milliseconds kRepeatPeriod{200};

  // Scroll events as the scroll bars report them; only line steps and a released
  // thumb move the pan.
  enum class ScrollCode { LineBack, LineForward, PageBack, PageForward, ThumbTrack, ThumbPosition, ToStart, ToEnd, EndScroll };

  // view, overlay: the settings the window changes; buildOverlay: rebuilds the live
  // view's overlay from them; texts: the window texts. All outlive the window. The
  // owner is the main window. Without timers the window runs Qt timers. Builds the
  // controls and starts the preview timer.
  CMoveWnd(ViewSettings& view, OverlaySettings& overlay, MoveWndPictures pictures, std::function<void()> buildOverlay,
           const UserFiles& texts, QWidget* owner, std::unique_ptr<WindowTimers> timers = nullptr);
  ~CMoveWnd() override;

  // Takes the window's state from the settings: the square red, the magnification, the
  // pan centre from the offsets, the mask and crosshair settings.
  void FillState();
  // Shows the window and lays it out: scroll bars, value texts, window texts, colour
  // buttons, the place beside the owner, the check boxes.
  void ShowAndLayOut();

  // The window's frame in screen coordinates, shown or hidden (the camera property
  // window goes below it: its bottom is WindowRect().y() + WindowRect().height()).
  QRect WindowRect() const { return frameGeometry(); }
  QWidget* GetDlgItem(int id) const;
  WindowTimers& Timers() const { return *m_timers; }

  // The handlers, public so that tests can drive them as the window's events do.
  void ApplyPanTexts();
  void OnHScroll(ScrollCode code, int thumbPosition = 0);
  void OnVScroll(ScrollCode code, int thumbPosition = 0);
  void OnPanReset();
  void OnMagnify();
  void OnReduce();
  void OnMagnificationReset();
  void OnMaskOn();
  void OnCrossOn();
  void OnMaskLarger();
  void OnMaskSmaller();
  void OnCrossLarger();
  void OnCrossSmaller();
  void OnMaskColour();
  void OnCrossColour();
  void OnSquareColour();
  void OnTimer(int id);
  // A left-button press or release anywhere on the window, at a screen position.
  void OnLButtonDown(const QPoint& globalPos);
  void OnLButtonUp();
  // A left double-click at a position in the window: on the preview, fits the square
  // to the picture's circular field.
  void OnLButtonDblClk(const QPoint& pos);
  // OK (Enter), Cancel (Escape) and the close box: the preview stops, the window hides.
  void OnOK();
  void OnCancel();

  // The preview picture for an area of that size: the raw picture with the square, or
  // null when there is no raw picture.
  const CxImage* PreviewPicture(QSize size);

  MoveWndState m_state;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void ConnectControls();
  void ApplyTexts();
  void ReadControls();
  void WriteControls();
  void ShowMagnification();
  void ShowMaskSize();
  void ShowCrossSize();
  void Repaint();
  void HideWindow();
  // The half side of the pan square at the present magnification.
  int HalfSide() const;
  void OnScrollAction(QScrollBar* bar, int action);

  ViewSettings& m_view;
  OverlaySettings& m_overlay;
  MoveWndPictures m_pictures;
  std::function<void()> m_buildOverlay;
  const UserFiles& m_texts;
  std::unique_ptr<WindowTimers> m_timers;
  int m_nHoldTimer = 0;  // the repeat timer a press started, 0 when none
  PreviewComposer m_composer;

  std::map<int, QWidget*> m_controls;
  CMovePreview* m_preview = nullptr;
  QScrollBar* m_hScroll = nullptr;
  QScrollBar* m_vScroll = nullptr;
  QCheckBox* m_maskOn = nullptr;
  QCheckBox* m_crossOn = nullptr;
  CColourButton* m_squareColour = nullptr;
  CColourButton* m_maskColour = nullptr;
  CColourButton* m_crossColour = nullptr;
};
