// korvane: one instance per user, the configuration of config.ini, debug mode
// on request, then the login window, which logs in by itself when the
// remembered user asked for it.
#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QTranslator>

#include "configfile.h"
#include "curlglobal.h"
#include "debugmessagehandler.h"
#include "debugmode.h"
#include "g_debug.h"
#include "korvane.h"
#include "modalboxcloser.h"
#include "platformurls.h"
#include "singleinstance.h"
#include "ulogin.h"
#include "zelvoopcsrv.h"

int main(int argc, char** argv) {
  // The images live in the program's static core library, which nothing else
  // would make the linker keep.
  Q_INIT_RESOURCE(korvane);
  QApplication application(argc, argv);
  CurlGlobal curl;
  ModalBoxCloser::startFromEnvironment(&application);

  SingleInstance instance(SingleInstance::applicationIdOf(QCoreApplication::applicationFilePath()));
  if (instance.isRunning()) {
    QMessageBox::information(nullptr, QStringLiteral("Zelvo OPC Server"),
                             QCoreApplication::translate("main", "Zelvo OPC Server is already running."),
                             QMessageBox::Ok);
    // The running instance only answers; the result changes nothing here.
    instance.sendMessage(QStringLiteral("raise_window_noop"), 5000);
    return 1;
  }

  QCoreApplication::addLibraryPath(QStringLiteral("."));
  auto* translator = new QTranslator(&application);
  if (translator->load(QCoreApplication::applicationDirPath() + QStringLiteral("//korvane_zh.qm")))
    QCoreApplication::installTranslator(translator);

  readConfigFile(g_serverAddress, g_intervalTime, g_writeNotifyIntervalTime, g_runningModel);
  buildPlatformUrls();

  if (debugModeRequested(QCoreApplication::arguments(), g_runningModel)) {
    qInstallMessageHandler(debugMessageHandler);
    openDebugWindow();
  }

  ULogin::setMainWindowFactory([] {
    auto* window = new ZelvoOpcSrv;
    window->InitializeConfigData();
    return window;
  });
  auto login = std::make_unique<ULogin>();
  login->readFromFile();
  if (login->isAutoLogin())
    login->autoLogin();
  else
    login->show();

  const int result = QApplication::exec();
  // A main window that quit while waiting for the platform goes now.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  // Late messages must not reach windows that are about to go.
  qInstallMessageHandler(nullptr);
  // The bridge and the WebSocket client stay, and so does the toolkit's
  // server, until the process ends; from here on no toolkit callback reaches
  // the bridge, whose Qt objects would outlive the application object.
  setOpcServer(nullptr);
  login.reset();
  delete g_debugWindow.exchange(nullptr);
  return result;
}
