// The main window's texts: the text pass over menus and caption, and the tooltips.
#include <QMenu>

#include "capture/capture_session.h"
#include "texts/user_files.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"

void CVistrelDlg::ApplyWindowTexts() {
  auto look = [this](Txt t) -> const QString& {
    return m_strTexts[static_cast<int>(t)] = m_files.UiText(t);
  };

  setWindowTitle(look(Txt::Main_MainCaption));

  const Txt tops[] = {Txt::Menu_FILE, Txt::Menu_SETTING, Txt::Menu_CONTROL,
                      Txt::Menu_ZOOM, Txt::Menu_MIRROR,  Txt::Menu_ABOUT};
  for (int pos = 0; pos < 6; ++pos) m_menu->SetTopText(pos, look(tops[pos]));

  m_menu->SetText(cmd::ID_FILEPATH, look(Txt::Main_FILEPATH));
  m_menu->SetText(cmd::ID_EXIT, look(Txt::Main_EXIT));
  // Play takes three texts in a row; the menu keeps the last, the tooltips all three.
  m_menu->SetText(cmd::ID_PLAY, look(Txt::Main_OPEN));
  m_menu->SetText(cmd::ID_PLAY, look(Txt::Main_PLAY));
  m_menu->SetText(cmd::ID_PLAY, look(Txt::Main_STOP));
  if (m_session->HasCaptureSource()) m_menu->Check(cmd::ID_PLAY, !m_session->m_graph.m_bPreviewWanted);
  m_menu->SetText(cmd::ID_SNAP, look(Txt::Main_SNAP));
  m_menu->SetText(cmd::ID_RECORD, look(Txt::Main_RECORD));
  m_menu->SetText(cmd::ID_HMIRROR, look(Txt::Main_HMIRROR));
  m_menu->SetText(cmd::ID_VMIRROR, look(Txt::Main_VMIRROR));
  m_menu->SetText(cmd::ID_REMIRROR, look(Txt::Main_REMIRROR));
  m_menu->SetText(cmd::ID_ZOOMIN, look(Txt::Main_ZOOMIN));
  m_menu->SetText(cmd::ID_ZOOMOUT, look(Txt::Main_ZOOMOUT));
  m_menu->SetText(cmd::ID_REZOOM, look(Txt::Main_REZOOM));

  QMenu* setting = m_menu->Top(1);
  MainMenu::SetItemTextAt(setting, 0, look(Txt::Main_RESOLUTION));
  MainMenu::SetItemTextAt(setting, 1, look(Txt::Main_FREQUENCY));

  m_menu->SetText(cmd::ID_PROPERTY, look(Txt::Main_PERPROTY));
  look(Txt::Main_AUTOEXPOSURE);
  look(Txt::Main_MANUALEXPOSURE);
  look(Txt::Main_FOLDERTIPS);
  look(Txt::Main_FOLDER);

  m_menu->SetText(cmd::ID_SAVEPARAM, look(Txt::Main_SAVEPARAM));
  m_menu->SetText(cmd::ID_RESTORE, look(Txt::Main_RESTORE));
  m_menu->SetText(cmd::ID_MOVE, look(Txt::Main_MOVE));
  m_menu->SetText(cmd::ID_VERSION, look(Txt::Main_VERSION));

  m_menu->SetText(cmd::ID_CHINESE, look(Txt::Menu_CHINESE));
  m_menu->SetText(cmd::ID_ENGLISH, look(Txt::Menu_ENGLISH));
  m_menu->SetText(cmd::ID_JAPANESE, look(Txt::Menu_JAPANESE));
  MainMenu::SetItemTextAt(m_menu->Top(5), 1, look(Txt::Menu_LAN));

  look(Txt::Main_STARTTIME);
  look(Txt::Main_STOREINFO);
  look(Txt::Main_RESTOREINFO);
  look(Txt::Main_TIMELEN);
}

QString CVistrelDlg::Text(Txt t) const { return m_strTexts[static_cast<int>(t)]; }

QString CVistrelDlg::TooltipText(int id) const {
  switch (id) {
    case cmd::ID_PLAY:
      if (!HasFramePicture()) return Text(Txt::Main_OPEN);
      return m_session->m_graph.m_bPreviewWanted ? Text(Txt::Main_STOP) : Text(Txt::Main_PLAY);
    case cmd::ID_SNAP:
      return Text(Txt::Main_SNAP);
    case cmd::ID_RECORD:
      return Text(Txt::Main_RECORD);
    case cmd::ID_ZOOMIN:
      return Text(Txt::Main_ZOOMIN);
    case cmd::ID_ZOOMOUT:
      return Text(Txt::Main_ZOOMOUT);
    case cmd::ID_REZOOM:
      return Text(Txt::Main_REZOOM);
    case cmd::ID_HMIRROR:
      return Text(Txt::Main_HMIRROR);
    case cmd::ID_VMIRROR:
      return Text(Txt::Main_VMIRROR);
    case cmd::ID_REMIRROR:
      return Text(Txt::Main_REMIRROR);
    case cmd::ID_PROPERTY:
      if (m_bServiceMode) return Text(Txt::Main_PERPROTY);
      // The action a click takes.
      return m_session->m_camera.m_bExposureAuto ? Text(Txt::Main_MANUALEXPOSURE) : Text(Txt::Main_AUTOEXPOSURE);
    default:
      return {};
  }
}
