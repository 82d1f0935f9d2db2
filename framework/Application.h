// The application object: one per process, created statically; the process entry runs its
// start-up hook once and ends the process when the hook returns.
#pragma once

#include <windows.h>

namespace fw {

class Window;

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current();

  // Called once after the framework's own initialisation. Returning false ends the process
  // (the usual answer once a modal main dialog has closed).
  virtual bool OnStartup() = 0;
  // Runs when OnStartup returned true: the message loop until WM_QUIT. Returns the exit code.
  virtual int Run();

  // Runs the hook and, if asked, the loop; the process entry calls this.
  int Start();

  // The window that stands for the application (the panel); it may not have a handle yet.
  Window* MainWindow() const { return m_mainWindow; }
  void SetMainWindow(Window* window) { m_mainWindow = window; }

  // Support for hosting controls: common controls are registered once.
  static void EnableControlContainer();

  // The application's short name (message box captions), GBK.
  const char* Name() const;
  void SetName(const char* gbkName);

 private:
  Window* m_mainWindow = nullptr;
  char m_name[64] = "StationProbe";
};

}  // namespace fw
