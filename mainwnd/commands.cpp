// The command dispatcher of the main window and the commands of the window itself:
// Exit, the language commands and About.
#include <QMetaObject>

#include "capture/capture_session.h"
#include "mainwnd/about_dlg.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"
#include "texts/language.h"
#include "texts/user_files.h"

void CVistrelDlg::OnCommand(int id) {
  switch (id) {
    case cmd::ID_EXIT:
      // Posted, so the command returns before the modal loop ends.
      QMetaObject::invokeMethod(this, [this] { done(0); }, Qt::QueuedConnection);
      break;
    case cmd::ID_CHINESE:
      OnLanguage(language::kChinese);
      break;
    case cmd::ID_ENGLISH:
      OnLanguage(language::kEnglish);
      break;
    case cmd::ID_JAPANESE:
      OnLanguage(language::kJapanese);
      break;
    case cmd::ID_VERSION:
      OnAbout(true);
      break;
    case cmd::IDM_ABOUTBOX:
      OnAbout(false);
      break;
    case cmd::ID_PLAY:
      OnPlay();
      break;
    case cmd::ID_SNAP:
      TakeSnapshot();
      break;
    case cmd::ID_RECORD:
      ToggleRecording();
      break;
    case cmd::ID_ZOOMIN:
      OnZoomIn();
      break;
    case cmd::ID_ZOOMOUT:
      OnZoomOut();
      break;
    case cmd::ID_REZOOM:
      OnZoomReset();
      break;
    case cmd::ID_HMIRROR:
      OnHMirror();
      break;
    case cmd::ID_VMIRROR:
      OnVMirror();
      break;
    case cmd::ID_REMIRROR:
      OnMirrorReset();
      break;
    case cmd::ID_FILEPATH:
      OnCaptureFolder();
      break;
    case cmd::ID_50HZ:
      m_session->SetPowerLine50Hz();
      break;
    case cmd::ID_60HZ:
      m_session->SetPowerLine60Hz();
      break;
    case cmd::ID_640X480:
      OnResolution(cmd::ID_YUV_FIRST);
      break;
    case cmd::ID_PROPERTY:
      // Without service mode the Property button toggles automatic exposure.
      if (!m_bServiceMode) OnExposureToggle();
      break;
    default:
      if (cmd::IsYuvResolution(id) || cmd::IsMjpgResolution(id)) OnResolution(id);
      // Move, Save and Restore belong to the service-mode windows and the flash store.
      break;
  }
}

void CVistrelDlg::OnLanguage(int index) {
  m_files.SetLanguage(language::NameOf(index), index);
  ApplyWindowTexts();
  ShowLanguageCheck(index);
}

void CVistrelDlg::ShowLanguageCheck(int index) {
  m_menu->Check(cmd::ID_CHINESE, index == language::kChinese);
  m_menu->Check(cmd::ID_ENGLISH, index == language::kEnglish);
  m_menu->Check(cmd::ID_JAPANESE, index == language::kJapanese);
}

void CVistrelDlg::OnAbout(bool fromMenu) {
  CAboutDlg about(m_files, this);
  about.OnInitDialog();
  about.exec();
  // From the About menu the window shows a new language at once; from the context
  // menu its texts follow at the next text pass. The check mark follows at once, so
  // the Language menu never marks a language other than the one in use.
  if (fromMenu) ApplyWindowTexts();
  ShowLanguageCheck(m_files.CurrentLanguageIndex());
}
