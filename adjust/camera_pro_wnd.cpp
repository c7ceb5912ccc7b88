#include "adjust/camera_pro_wnd.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>

#include <algorithm>
#include <climits>

#include "platform/graph/interfaces.h"
#include "texts/ui_text.h"
#include "texts/user_files.h"

namespace {

// The window's design is in dialog units: a quarter of the average character width and
// an eighth of its height, at 6 × 13 pixels.
constexpr int DluX(int x) { return x * 6 / 4; }
constexpr int DluY(int y) { return y * 13 / 8; }
QRect DluRect(int x, int y, int w, int h) { return {DluX(x), DluY(y), DluX(w), DluY(h)}; }

constexpr int kWidthDlu = 258;
constexpr int kHeightDlu = 213;

struct RowSpec {
  int slider;
  int valueBox;
  int label;
  int autoBox;
  Txt text;
  bool cameraControl;  // the property is on IAMCameraControl, not IAMVideoProcAmp
  long property;
  int y;  // dialog units
};

using R = CCameraProWnd::Row;
constexpr std::array<RowSpec, CCameraProWnd::kRows> kRowSpecs = {{
    {1032, 1040, 1049, 1006, Txt::Pro_BRIGHT, false, VideoProcAmp_Brightness, 23},
    {1033, 1041, 1050, 1007, Txt::Pro_CONTRAST, false, VideoProcAmp_Contrast, 41},
    {1034, 1042, 1051, 1008, Txt::Pro_HUE, false, VideoProcAmp_Hue, 58},
    {1035, 1043, 1052, 1009, Txt::Pro_SAT, false, VideoProcAmp_Saturation, 74},
    {1036, 1044, 1056, 1010, Txt::Pro_SHARP, false, VideoProcAmp_Sharpness, 92},
    {1037, 1045, 1053, 1011, Txt::Pro_GAMMA, false, VideoProcAmp_Gamma, 109},
    {1038, 1046, 1054, 1012, Txt::Pro_WB, false, VideoProcAmp_WhiteBalance, 126},
    {1039, 1047, 1055, 1013, Txt::Pro_EXPOSURE, true, CameraControl_Exposure, 143},
    {1065, 1063, 1066, 1064, Txt::Pro_GAIN, false, VideoProcAmp_Gain, 159},
}};

// The order the ranges are asked for at initialisation.
constexpr std::array<R, CCameraProWnd::kRows> kRangeOrder = {
    R::Brightness, R::Contrast, R::Saturation, R::Hue, R::Gain, R::Gamma, R::Sharpness, R::WhiteBalance, R::Exposure};
// The properties Default returns to their defaults with the camera's own flags, in order.
constexpr std::array<R, 6> kPlainDefaultOrder = {R::Brightness, R::Contrast, R::Saturation,
                                                  R::Hue,        R::Gamma,    R::Sharpness};

long FlagOf(bool automatic) { return automatic ? VideoProcAmp_Flags_Auto : VideoProcAmp_Flags_Manual; }

int ToInt(long v) { return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX)); }

}  // namespace

CCameraProWnd::CCameraProWnd(CameraProperties camera, CameraParams& params, const UserFiles& files,
                             ProWndRects placement, QWidget* owner)
    : QDialog(owner), m_camera(std::move(camera)), m_params(params), m_files(files), m_placement(placement) {
  setWindowTitle(DefaultTextOf(Txt::Pro_MainCaption));
  setFixedSize(DluX(kWidthDlu), DluY(kHeightDlu));
  setSizeGripEnabled(false);

  for (int r = 0; r < kRows; ++r) {
    const RowSpec& spec = kRowSpecs[r];
    RowWidgets& w = m_rows[r];
    w.label = new QLabel(this);
    w.label->setGeometry(DluRect(19, spec.y, 43, 10));
    w.slider = new QSlider(Qt::Horizontal, this);
    w.slider->setTickPosition(QSlider::NoTicks);
    w.slider->setGeometry(DluRect(63, spec.y, 100, 9));
    w.value = new QLineEdit(this);
    w.value->setReadOnly(true);
    w.value->setGeometry(DluRect(169, spec.y - 2, 23, 14));
    w.autoBox = new QCheckBox(this);
    w.autoBox->setGeometry(DluRect(205, spec.y, 12, 10));
    // Brightness to gamma have no automatic mode: their boxes stay disabled.
    if (r < WhiteBalance) w.autoBox->setEnabled(false);

    const Row row = static_cast<Row>(r);
    connect(w.slider, &QSlider::valueChanged, this, [this, row] { ScheduleReport(row); });
  }
  connect(m_rows[WhiteBalance].autoBox, &QCheckBox::clicked, this, &CCameraProWnd::OnWhiteBalanceAuto);
  connect(m_rows[Exposure].autoBox, &QCheckBox::clicked, this, &CCameraProWnd::OnExposureAuto);
  connect(m_rows[Gain].autoBox, &QCheckBox::clicked, this, &CCameraProWnd::OnGainAuto);

  m_lblAuto = new QLabel(this);
  m_lblAuto->setGeometry(DluRect(203, 12, 30, 9));

  auto button = [this](int x) {
    auto* b = new QPushButton(this);
    b->setGeometry(DluRect(x, 180, 50, 14));
    return b;
  };
  m_btnDefault = button(19);
  m_btnOk = button(75);
  m_btnCancel = button(133);
  m_btnApply = button(193);
  m_btnOk->setDefault(true);
  connect(m_btnDefault, &QPushButton::clicked, this, &CCameraProWnd::OnDefault);
  connect(m_btnOk, &QPushButton::clicked, this, &CCameraProWnd::accept);
  connect(m_btnCancel, &QPushButton::clicked, this, &CCameraProWnd::reject);
  connect(m_btnApply, &QPushButton::clicked, this, &CCameraProWnd::OnApply);

  // The window state starts as the main window's members.
  m_value = {m_params.m_nBrightness, m_params.m_nContrast, m_params.m_nHue,
             m_params.m_nSaturation, m_params.m_nSharpness, m_params.m_nGamma,
             m_params.m_nWhiteBalance, m_params.m_nExposure, m_params.m_nGain};
  m_bWhiteBalanceAuto = m_params.m_bWhiteBalanceAuto;
  m_bExposureAuto = m_params.m_bExposureAuto;
  m_bGainAuto = m_params.m_bGainAuto;
}

CCameraProWnd::~CCameraProWnd() = default;

QWidget* CCameraProWnd::GetDlgItem(int id) const {
  for (int r = 0; r < kRows; ++r) {
    const RowSpec& spec = kRowSpecs[r];
    const RowWidgets& w = m_rows[r];
    if (id == spec.slider) return w.slider;
    if (id == spec.valueBox) return w.value;
    if (id == spec.label) return w.label;
    if (id == spec.autoBox) return w.autoBox;
  }
  switch (id) {
    case IDC_AUTO_LABEL: return m_lblAuto;
    case IDC_DEFAULT: return m_btnDefault;
    case IDOK: return m_btnOk;
    case IDCANCEL: return m_btnCancel;
    case IDC_APPLY: return m_btnApply;
    default: return nullptr;
  }
}

QSlider* CCameraProWnd::Slider(Row row) const { return m_rows[row].slider; }
QLineEdit* CCameraProWnd::ValueBox(Row row) const { return m_rows[row].value; }
QCheckBox* CCameraProWnd::AutoBox(Row row) const { return m_rows[row].autoBox; }

HRESULT CCameraProWnd::GetRange(Row row, long& min, long& max, long& def, long& caps) const {
  const RowSpec& spec = kRowSpecs[row];
  long step = 0;
  if (spec.cameraControl) {
    if (!m_camera.cameraControl) return E_NOINTERFACE;
    return m_camera.cameraControl->GetRange(spec.property, &min, &max, &step, &def, &caps);
  }
  if (!m_camera.procAmp) return E_NOINTERFACE;
  return m_camera.procAmp->GetRange(spec.property, &min, &max, &step, &def, &caps);
}

HRESULT CCameraProWnd::SetProperty(Row row, long value, long flags) const {
  const RowSpec& spec = kRowSpecs[row];
  if (spec.cameraControl) {
    return m_camera.cameraControl ? m_camera.cameraControl->Set(spec.property, value, flags) : E_NOINTERFACE;
  }
  return m_camera.procAmp ? m_camera.procAmp->Set(spec.property, value, flags) : E_NOINTERFACE;
}

bool CCameraProWnd::OnInitDialog() {
  // The framework's first exchange: the window state into the controls. No slider
  // reports before the window is shown.
  UpdateData(false);

  for (const Row row : kRangeOrder) {
    long min = 0, max = 0, def = 0, caps = 0;
    QSlider* slider = m_rows[row].slider;
    // A property the camera lacks (or an interface the source does not offer) has its
    // row disabled; its slider keeps the value it was given.
    m_supported[row] = SUCCEEDED(GetRange(row, min, max, def, caps)) && min <= max;
    if (m_supported[row]) {
      slider->setRange(ToInt(min), ToInt(max));
      slider->setPageStep(std::max(1, (ToInt(max) - ToInt(min)) / 5));
    } else {
      slider->setRange(m_value[row], m_value[row]);
    }
    // A value outside the range lands at the nearer end.
    slider->setValue(m_value[row]);
    m_rows[row].label->setEnabled(m_supported[row]);
    m_rows[row].value->setEnabled(m_supported[row]);
    if (row >= WhiteBalance) m_rows[row].autoBox->setEnabled(m_supported[row]);
  }

  // Gain is automatic exactly when exposure is.
  m_bGainAuto = m_bExposureAuto;
  m_rows[Gain].autoBox->setChecked(m_bGainAuto);
  UpdateSliderEnables();

  m_btnApply->setEnabled(false);
  ApplyTexts();
  Place();
  m_bInitialised = true;
  return true;
}

int CCameraProWnd::DoModal() {
  if (!m_bInitialised) OnInitDialog();
  return exec();
}

void CCameraProWnd::UpdateSliderEnables() {
  for (int r = 0; r < kRows; ++r) {
    bool enabled = m_supported[r];
    if (r == WhiteBalance) enabled = enabled && !m_bWhiteBalanceAuto;
    if (r == Exposure) enabled = enabled && !m_bExposureAuto;
    if (r == Gain) enabled = enabled && !m_bGainAuto;
    m_rows[r].slider->setEnabled(enabled);
  }
}

void CCameraProWnd::ApplyTexts() {
  UpdateData(true);
  setWindowTitle(m_files.UiText(Txt::Pro_MainCaption));
  for (int r = 0; r < kRows; ++r) m_rows[r].label->setText(m_files.UiText(kRowSpecs[r].text));
  m_lblAuto->setText(m_files.UiText(Txt::Pro_AUTO));
  m_btnDefault->setText(m_files.UiText(Txt::Pro_DEFAULT));
  m_btnApply->setText(m_files.UiText(Txt::Pro_APPLY));
  m_btnOk->setText(m_files.UiText(Txt::Pro_OK));
  m_btnCancel->setText(m_files.UiText(Txt::Pro_CANCEL));
  UpdateData(false);
}

void CCameraProWnd::Place() { move(ProWndPosition(m_placement, frameGeometry())); }

void CCameraProWnd::UpdateData(bool saveAndValidate) {
  if (saveAndValidate) {
    for (int r = 0; r < kRows; ++r) m_value[r] = m_rows[r].slider->value();
    m_bWhiteBalanceAuto = m_rows[WhiteBalance].autoBox->isChecked();
    m_bExposureAuto = m_rows[Exposure].autoBox->isChecked();
    m_bGainAuto = m_rows[Gain].autoBox->isChecked();
    return;
  }
  // A slider moved here reports afterwards, as one the user moved.
  for (int r = 0; r < kRows; ++r) m_rows[r].slider->setValue(m_value[r]);
  m_rows[WhiteBalance].autoBox->setChecked(m_bWhiteBalanceAuto);
  m_rows[Exposure].autoBox->setChecked(m_bExposureAuto);
  m_rows[Gain].autoBox->setChecked(m_bGainAuto);
}

void CCameraProWnd::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_bShown || event->spontaneous()) return;
  m_bShown = true;
  for (int r = 0; r < kRows; ++r) ScheduleReport(static_cast<Row>(r));
}

void CCameraProWnd::ScheduleReport(Row row) {
  // Like a repaint: nothing before the window is first shown, and one report for any
  // number of moves made before it runs.
  if (!m_bShown || m_reportPending[row]) return;
  m_reportPending[row] = true;
  QMetaObject::invokeMethod(
      this,
      [this, row] {
        m_reportPending[row] = false;
        // A hidden window (closed, about to be destroyed) paints nothing.
        if (isVisible()) OnSliderReport(row);
      },
      Qt::QueuedConnection);
}

void CCameraProWnd::OnSliderReport(Row row) {
  UpdateData(true);
  const int value = m_value[row];
  if (!m_supported[row]) {
    m_rows[row].value->clear();
    return;
  }
  if (row == Exposure) {
    // Exposure keeps no last value: every report sends it, with the box's mode.
    SetProperty(row, value, FlagOf(m_bExposureAuto));
    m_rows[row].value->setText(QString::number(value));
    UpdateData(false);
    return;
  }
  if (value != m_lastSent[row]) {
    m_lastSent[row] = value;
    // White balance goes as manual whatever its box shows; gain with its box's mode.
    SetProperty(row, value, row == Gain ? FlagOf(m_bGainAuto) : long{VideoProcAmp_Flags_Manual});
    m_btnApply->setEnabled(true);
  }
  m_rows[row].value->setText(QString::number(value));
}

void CCameraProWnd::OnWhiteBalanceAuto() {
  UpdateData(true);
  SetProperty(WhiteBalance, m_value[WhiteBalance], FlagOf(m_bWhiteBalanceAuto));
  UpdateSliderEnables();
  m_btnApply->setEnabled(true);
  UpdateData(false);
}

void CCameraProWnd::OnExposureAuto() {
  UpdateData(true);
  // Only the exposure goes to the camera, though the gain box follows it.
  SetProperty(Exposure, m_value[Exposure], FlagOf(m_bExposureAuto));
  m_bGainAuto = m_bExposureAuto;
  UpdateSliderEnables();
  m_btnApply->setEnabled(true);
  UpdateData(false);
}

void CCameraProWnd::OnGainAuto() {
  UpdateData(true);
  // Only the gain goes to the camera, though the exposure box follows it.
  SetProperty(Gain, m_value[Gain], FlagOf(m_bGainAuto));
  m_bExposureAuto = m_bGainAuto;
  UpdateSliderEnables();
  m_btnApply->setEnabled(true);
  UpdateData(false);
}

void CCameraProWnd::OnDefault() {
  // A property without a range has no default to return to and is left alone.
  for (const Row row : kPlainDefaultOrder) {
    long min = 0, max = 0, def = 0, caps = 0;
    if (FAILED(GetRange(row, min, max, def, caps))) continue;
    SetProperty(row, def, caps);
    m_rows[row].slider->setValue(ToInt(def));
    m_value[row] = ToInt(def);
  }

  long min = 0, max = 0, def = 0, caps = 0;
  if (SUCCEEDED(GetRange(WhiteBalance, min, max, def, caps))) {
    m_value[WhiteBalance] = ToInt(def);
    m_rows[WhiteBalance].slider->setValue(ToInt(def));
    m_bWhiteBalanceAuto = false;
    SetProperty(WhiteBalance, def, VideoProcAmp_Flags_Manual);
  }

  long expDef = 0;
  if (SUCCEEDED(GetRange(Exposure, min, max, expDef, caps))) {
    m_value[Exposure] = ToInt(expDef);
    m_rows[Exposure].slider->setValue(ToInt(expDef));
    m_bExposureAuto = true;
    m_bGainAuto = true;
    long gainDef = 0;
    if (SUCCEEDED(GetRange(Gain, min, max, gainDef, caps))) {
      SetProperty(Gain, gainDef, VideoProcAmp_Flags_Auto);
      m_value[Gain] = ToInt(gainDef);
    }
    SetProperty(Exposure, expDef, CameraControl_Flags_Auto);
  }

  // The sliders, Apply and the last values sent keep their state; moved sliders report.
  UpdateData(false);
}

void CCameraProWnd::OnApply() {
  // The camera's values, not the sliders'. A failed read leaves its member as it was.
  auto get = [this](long property, int& member, bool* automatic) {
    if (!m_camera.procAmp) return;
    long value = member;
    long flags = automatic ? FlagOf(*automatic) : long{VideoProcAmp_Flags_Manual};
    if (FAILED(m_camera.procAmp->Get(property, &value, &flags))) return;
    member = ToInt(value);
    if (automatic) *automatic = flags != VideoProcAmp_Flags_Manual;
  };
  get(VideoProcAmp_Gamma, m_params.m_nGamma, nullptr);
  get(VideoProcAmp_Gain, m_params.m_nGain, &m_params.m_bGainAuto);
  get(VideoProcAmp_Sharpness, m_params.m_nSharpness, nullptr);
  get(VideoProcAmp_WhiteBalance, m_params.m_nWhiteBalance, &m_params.m_bWhiteBalanceAuto);

  if (m_camera.cameraControl) {
    long value = 0, flags = 0;
    if (SUCCEEDED(m_camera.cameraControl->Get(CameraControl_Exposure, &value, &flags))) {
      m_params.m_nExposure = ToInt(value);
      m_params.m_bExposureAuto = flags != CameraControl_Flags_Manual;
    }
  }

  get(VideoProcAmp_Brightness, m_params.m_nBrightness, nullptr);
  get(VideoProcAmp_Contrast, m_params.m_nContrast, nullptr);
  get(VideoProcAmp_Saturation, m_params.m_nSaturation, nullptr);
  get(VideoProcAmp_Hue, m_params.m_nHue, nullptr);

  m_btnApply->setEnabled(false);
}

void CCameraProWnd::accept() { done(IDOK); }
void CCameraProWnd::reject() { done(IDCANCEL); }
