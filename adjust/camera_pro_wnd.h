// The camera property window (service mode): nine rows of label, slider, value box and
// auto box through which the camera's image properties are set while the picture runs.
//
// Every slider position goes to the camera at once. The window keeps no accepted
// values of its own: Apply copies the camera's current values into the main window's
// camera parameters, Cancel (done by RunCameraProWnd) puts the camera back to them, OK
// leaves the camera as it is and Default returns it to the defaults it reports.
//
// A slider reports its value once after the window is first shown and after every
// change of its position, as a repaint would: the report runs from the event loop after
// whatever moved the slider has finished, and several moves before it runs make one
// report. A report sends the value when it differs from the last one sent (exposure:
// every report sends), so values set from the camera are sent again once on opening.
#pragma once

#include <QDialog>

#include <array>

#include "adjust/pro_wnd_placement.h"
#include "flash/camera_params.h"
#include "flash/camera_properties.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class UserFiles;

class CCameraProWnd : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 143;
  // Results and control ids.
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;
  static constexpr int IDC_DEFAULT = 1002;
  static constexpr int IDC_APPLY = 1003;
  static constexpr int IDC_AUTO_LABEL = 1062;

  // The rows, top to bottom.
  enum Row { Brightness, Contrast, Hue, Saturation, Sharpness, Gamma, WhiteBalance, Exposure, Gain, kRows };

  // Acts on the camera's property interfaces (either may be null: its rows are then
  // disabled) and on the main window's camera parameters, whose values and auto flags
  // are copied into the window state here. Texts come from the language file of files.
  CCameraProWnd(CameraProperties camera, CameraParams& params, const UserFiles& files, ProWndRects placement,
                QWidget* owner = nullptr);
  ~CCameraProWnd() override;

  // Ranges, enabled rows, texts and placement; run once before the window shows. True.
  bool OnInitDialog();
  // OnInitDialog, then the window runs modally: IDOK or IDCANCEL.
  int DoModal();

  // The control with that id (rows' sliders, value boxes, labels and auto boxes, the
  // AUTO label and the four buttons); null for any other id.
  QWidget* GetDlgItem(int id) const;
  QSlider* Slider(Row row) const;
  QLineEdit* ValueBox(Row row) const;
  QCheckBox* AutoBox(Row row) const;

  // The dialog's standard OK and Cancel (also Escape and the close button): end the
  // window with IDOK or IDCANCEL and nothing else.
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct RowWidgets {
    QLabel* label = nullptr;
    QSlider* slider = nullptr;
    QLineEdit* value = nullptr;
    QCheckBox* autoBox = nullptr;
  };

  // The dialog's data exchange: controls into the window state (true) or back (false).
  void UpdateData(bool saveAndValidate);
  void ApplyTexts();
  void Place();
  void UpdateSliderEnables();

  void ScheduleReport(Row row);
  void OnSliderReport(Row row);
  void OnWhiteBalanceAuto();
  void OnExposureAuto();
  void OnGainAuto();
  void OnDefault();
  void OnApply();

  // The camera calls of one row, through the interface that row belongs to; a missing
  // interface answers E_NOINTERFACE without a call.
  HRESULT GetRange(Row row, long& min, long& max, long& def, long& caps) const;
  HRESULT SetProperty(Row row, long value, long flags) const;

  CameraProperties m_camera;  // m_pVideoProcAmp and m_pCameraControl
  CameraParams& m_params;     // the main window's camera parameters
  const UserFiles& m_files;
  ProWndRects m_placement;

  // Window state.
  std::array<int, kRows> m_value{};
  bool m_bWhiteBalanceAuto = false;
  bool m_bExposureAuto = false;
  bool m_bGainAuto = false;
  std::array<int, kRows> m_lastSent{};       // exposure keeps none
  std::array<bool, kRows> m_supported{};     // the camera reported a range for the row's property
  std::array<bool, kRows> m_reportPending{};
  bool m_bInitialised = false;
  bool m_bShown = false;

  std::array<RowWidgets, kRows> m_rows;
  QLabel* m_lblAuto = nullptr;
  QPushButton* m_btnDefault = nullptr;
  QPushButton* m_btnOk = nullptr;
  QPushButton* m_btnCancel = nullptr;
  QPushButton* m_btnApply = nullptr;
};
