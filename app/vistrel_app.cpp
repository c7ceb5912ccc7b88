#include "app/vistrel_app.h"

#include <QFileInfo>

#include "app/language.h"
#include "app/termination_signals.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/profile/profile.h"
#include "platform/shell/shell.h"

namespace {
const QString kLanguageSection = QStringLiteral("LANGUAGESET");
const QString kLanguageKey = QStringLiteral("LANGUAGE");
const QString kIndexKey = QStringLiteral("INDEX");

// Makes the folder when it is not there yet; a failure shows later as defaults.
void EnsureDirectory(const QString& path) {
  if (!platform::shell::IsDirectory(path)) {
    const bool made = platform::shell::CreateDirectory(path);
    (void)made;
  }
}
}  // namespace

CVistrelApp::CVistrelApp(QString commandLine, PlatformServices services)
    : m_commandLine(std::move(commandLine)), m_platform(std::move(services)) {}

CVistrelApp::~CVistrelApp() = default;

bool CVistrelApp::InitInstance() {
  PrepareStartup();
  CVistrelDlg dlg(*this);
  TerminationSignals termination;
  if (termination.Install()) QObject::connect(&termination, &TerminationSignals::requested, &dlg, &QDialog::reject);
  dlg.DoModal();
  return false;
}

int CVistrelApp::ExitInstance() { return 0; }

void CVistrelApp::PrepareStartup() {
  m_strExeDir = platform::shell::ExecutableFolder();

  const QString userFolder = platform::shell::LocalAppDataFolder() + QStringLiteral("/Tavio/");
  EnsureDirectory(userFolder);
  m_strSettingPath = userFolder + QStringLiteral("Setting.ini");

  QString name = profile::getString(m_strSettingPath, kLanguageSection, kLanguageKey, QStringLiteral("Japanese"));
  if (language::IndexOf(name) < 0) name = QStringLiteral("Japanese");

  // The folder beside the executable is made as on every start, though nothing is read
  // from it; an installed program usually cannot write there, which is fine.
  EnsureDirectory(m_strExeDir + QStringLiteral("Language/"));
  const bool written = profile::writeString(m_strSettingPath, kLanguageSection, kLanguageKey, name);
  (void)written;  // an unwritable settings file only means defaults next time

  m_strLangDir = userFolder + QStringLiteral("Language/");
  EnsureDirectory(m_strLangDir);
  m_strLngPath = m_strLangDir + name + QStringLiteral(".lng");

  m_bServiceMode = (m_commandLine == QStringLiteral("-SERVICEMODE=1"));
}

QString CVistrelApp::UiText(Txt text) const { return ::UiText(m_strLngPath, text); }

void CVistrelApp::SetLanguage(const QString& name, int index) {
  const bool nameWritten = profile::writeString(m_strSettingPath, kLanguageSection, kLanguageKey, name);
  m_strLngPath = m_strLangDir + name + QStringLiteral(".lng");
  const bool indexWritten = profile::writeString(m_strSettingPath, kLanguageSection, kIndexKey, QString::number(index));
  // Failed writes are not reported: the language still changes for this run.
  (void)nameWritten;
  (void)indexWritten;
}

int CVistrelApp::CurrentLanguageIndex() const {
  const int index = language::IndexOf(QFileInfo(m_strLngPath).completeBaseName());
  return index < 0 ? language::kJapanese : index;
}
