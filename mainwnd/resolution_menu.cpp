// The Resolution menu: the session's resolution lists shown as menu items (service
// mode: YUV and MJPG submenus; otherwise one flat list), their marks, and the choice.
#include <QAction>
#include <QMenu>

#include "capture/capture_session.h"
#include "capture/resolution_model.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
// Item ids: YUV (and the flat list of a YUV format) 40018 + k, MJPG 40056 + k.
int ItemId(FormatFamily family, int index) {
  return (family == FormatFamily::Mjpg ? cmd::ID_MJPG_FIRST : cmd::ID_YUV_FIRST) + index;
}

QString ResolutionText(int width, int height) { return QStringLiteral("%1 X %2").arg(width).arg(height); }
}  // namespace

void CVistrelDlg::OnResolutionListsChanged(const ResolutionModel& model) {
  QMenu* resolution = m_menu->ResolutionMenu();
  if (!resolution) return;
  if (model.grouped) {
    QMenu* yuv = MainMenu::SubMenu(resolution, 0);
    QMenu* mjpg = MainMenu::SubMenu(resolution, 1);
    if (!yuv) yuv = m_menu->AddSubMenu(resolution, QStringLiteral("YUV"));
    if (!mjpg) mjpg = m_menu->AddSubMenu(resolution, QStringLiteral("MJPG"));
    MainMenu::Clear(yuv);
    MainMenu::Clear(mjpg);
    for (const ResolutionEntry& e : model.entries) {
      m_menu->AddItem(e.family == FormatFamily::Mjpg ? mjpg : yuv, ItemId(e.family, e.index),
                      ResolutionText(e.width, e.height));
    }
  } else {
    MainMenu::Clear(resolution);
    for (const ResolutionEntry& e : model.entries) {
      m_menu->AddItem(resolution, ItemId(e.family, e.index), ResolutionText(e.width, e.height));
    }
  }
  OnResolutionMarked(model);
}

void CVistrelDlg::OnResolutionMarked(const ResolutionModel& model) {
  for (const ResolutionEntry& e : model.entries) {
    const bool marked = model.marked && model.marked->family == e.family && model.marked->index == e.index;
    m_menu->Check(ItemId(e.family, e.index), marked);
  }
  if (model.grouped && model.marked) {
    // The submenu of the format in use carries a mark as well.
    QMenu* resolution = m_menu->ResolutionMenu();
    MainMenu::CheckAt(resolution, 0, model.marked->family == FormatFamily::Yuv);
    MainMenu::CheckAt(resolution, 1, model.marked->family == FormatFamily::Mjpg);
  }
}

void CVistrelDlg::OnResolution(int id) {
  const bool mjpg = cmd::IsMjpgResolution(id);
  const int index = id - (mjpg ? cmd::ID_MJPG_FIRST : cmd::ID_YUV_FIRST);
  m_session->SelectResolution(mjpg ? FormatFamily::Mjpg : FormatFamily::Yuv, index);
}
