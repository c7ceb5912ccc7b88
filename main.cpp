// vistrel: view and control a USB camera.
#include <QApplication>
#include <QStringList>

#include "app/platform_setup.h"
#include "app/vistrel_app.h"

namespace {
// The command-line text after the program name, as the user typed it: the words joined
// by single blanks. Taken before Qt reads its own options from argv.
QString CommandLineAfterProgramName(int argc, char** argv) {
  QStringList words;
  for (int i = 1; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
  return words.join(QLatin1Char(' '));
}
}  // namespace

int main(int argc, char** argv) {
  const QString commandLine = CommandLineAfterProgramName(argc, argv);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vistrel"));
  QApplication::setOrganizationName(QStringLiteral("Tavio"));

  CVistrelApp app(commandLine, MakePlatformServices());
  app.InitInstance();
  return app.ExitInstance();
}
