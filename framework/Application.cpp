#include "framework/Application.h"

#include <commctrl.h>

#include "framework/GbkText.h"

namespace fw {

namespace {
Application* g_application = nullptr;
}

Application::Application() { g_application = this; }

Application::~Application() {
  if (g_application == this) g_application = nullptr;
}

Application* Application::Current() { return g_application; }

int Application::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int Application::Start() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
  if (!OnStartup()) return 0;
  return Run();
}

void Application::EnableControlContainer() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
  InitCommonControlsEx(&icc);
}

const char* Application::Name() const { return m_name; }

void Application::SetName(const char* gbkName) { GbkCopyBounded(m_name, sizeof m_name, gbkName); }

}  // namespace fw
