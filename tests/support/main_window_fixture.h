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

#include "app/platform_setup.h"
#include "app/vistrel_app.h"
#include "capture/capture_session.h"
#include "mainwnd/vistrel_dlg.h"
#include "outside/alc_backend.h"
#include "platform/virtualcam/virtual_camera.h"
#include "support/scripted_platform.h"
#include "support/user_folders.h"
#include "support/wait.h"

namespace testsupport {

class MainWindowTest : public ::testing::Test {
 protected:
  // Makes the main window without initialising it; without services given, on a
  // machine with no camera.
  void Create(const QString& commandLine = QString(), std::optional<PlatformServices> services = std::nullopt) {
    if (!language.isEmpty()) {
      ASSERT_TRUE(user.ChooseLanguage(language));
    }
    app = std::make_unique<CVistrelApp>(commandLine, services ? std::move(*services) : NoDeviceServices());
    app->m_showMessage = [this](const QString& text) { messages.push_back(text); };
    app->PrepareStartup();
    dlg = std::make_unique<CVistrelDlg>(*app, *app, app->m_bServiceMode);
  }
  // Makes and initialises the main window, as at start-up.
  void Open(const QString& commandLine = QString(), std::optional<PlatformServices> services = std::nullopt) {
    Create(commandLine, std::move(services));
    dlg->OnInitDialog();
  }
  // Makes the main window on a virtual camera with these knobs (not yet initialised).
  void CreateWithCamera(platform::VirtualCameraOptions options = {}, const QString& commandLine = QString()) {
    camera = std::make_shared<platform::VirtualCamera>(std::move(options));
    Create(commandLine, MakeVirtualCameraServices(camera));
  }
  void OpenWithCamera(platform::VirtualCameraOptions options = {}, const QString& commandLine = QString()) {
    CreateWithCamera(std::move(options), commandLine);
    dlg->OnInitDialog();
  }
  // Waits until a frame picture exists (and, when asked, a composed picture).
  bool WaitForFrame() {
    return WaitFor([this] { return dlg->HasFramePicture(); });
  }
  void TearDown() override {
    if (dlg) dlg->DestroyWindow();
    dlg.reset();
    app.reset();
    camera.reset();
    alc::InstallBackend(nullptr);
  }

  ScopedUserFolders user;
  // The language the user picked before; the window's texts are checked in Chinese.
  // Empty: a fresh account.
  QString language = QStringLiteral("Chinese");
  std::unique_ptr<CVistrelApp> app;
  std::unique_ptr<CVistrelDlg> dlg;
  std::shared_ptr<platform::VirtualCamera> camera;
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
