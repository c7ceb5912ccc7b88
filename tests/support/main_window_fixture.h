// A main window on a fresh user account, initialised as at start-up (without a
// modal loop), and helpers to answer the modal windows it opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/vistrel_app.h"
#include "mainwnd/vistrel_dlg.h"
#include "outside/alc_backend.h"
#include "support/scripted_platform.h"
#include "support/user_folders.h"
#include "support/wait.h"

namespace testsupport {

class MainWindowTest : public ::testing::Test {
 protected:
  // Opens the main window; without services given, on a machine with no camera.
  void Open(const QString& commandLine = QString(), std::optional<PlatformServices> services = std::nullopt) {
    app = std::make_unique<CVistrelApp>(commandLine, services ? std::move(*services) : NoDeviceServices());
    app->m_showMessage = [this](const QString& text) { messages.push_back(text); };
    app->PrepareStartup();
    dlg = std::make_unique<CVistrelDlg>(*app);
    dlg->OnInitDialog();
  }
  void TearDown() override {
    if (dlg) dlg->DestroyWindow();
    dlg.reset();
    app.reset();
    alc::InstallBackend(nullptr);
  }

  ScopedUserFolders user;
  std::unique_ptr<CVistrelApp> app;
  std::unique_ptr<CVistrelDlg> dlg;
  std::vector<QString> messages;  // the message boxes the window would have shown
};

// Runs `answer` on the next modal dialog of type T as soon as it is shown (from inside
// its modal loop). Polls with a zero timer so it works whenever the dialog comes.
template <class T>
void AnswerNextModal(std::function<void(T*)> answer) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
      timer->stop();
      timer->deleteLater();
      answer(dialog);
    }
  });
  timer->start();
}

}  // namespace testsupport
