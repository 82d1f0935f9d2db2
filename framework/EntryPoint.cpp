// The process entry for programs built on fw::Application: it runs the one static application
// object. Linked only into the program, not into test executables (they have GoogleTest's main).
#include <windows.h>

#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  fw::Application* app = fw::Application::Current();
  if (app == nullptr) return -1;
  return app->Start();
}
