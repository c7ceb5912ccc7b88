#include "app/vistrel_app.h"

#include <QMessageBox>

#include "app/termination_signals.h"
#include "mainwnd/vistrel_dlg.h"

CVistrelApp::CVistrelApp(QString commandLine, PlatformServices services)
    : CameraDiscovery(std::move(services), *this), m_commandLine(std::move(commandLine)) {
  m_showMessage = [](const QString& text) { QMessageBox::warning(nullptr, QString(), text, QMessageBox::Ok); };
}

CVistrelApp::~CVistrelApp() = default;

bool CVistrelApp::InitInstance() {
  PrepareStartup();
  CVistrelDlg dlg(*this, *this, m_bServiceMode);
  TerminationSignals termination;
  if (termination.Install()) QObject::connect(&termination, &TerminationSignals::requested, &dlg, &QDialog::reject);
  dlg.DoModal();
  return false;
}

int CVistrelApp::ExitInstance() { return 0; }

void CVistrelApp::PrepareStartup() {
  UserFiles::Prepare();
  m_bServiceMode = (m_commandLine == QStringLiteral("-SERVICEMODE=1"));
}
