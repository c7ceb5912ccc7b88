// The pan window's data exchange between its check boxes and its state, and the
// preview's repaint: what every group of the window uses.
#include <QCheckBox>

#include "adjust/move_preview.h"
#include "adjust/move_wnd.h"

void CMoveWnd::ReadControls() {
  m_state.maskOn = m_maskOn->isChecked() ? 1 : 0;
  m_state.crossOn = m_crossOn->isChecked() ? 1 : 0;
}

void CMoveWnd::WriteControls() {
  m_maskOn->setChecked(m_state.maskOn != 0);
  m_crossOn->setChecked(m_state.crossOn != 0);
}

void CMoveWnd::Repaint() { m_preview->update(); }
