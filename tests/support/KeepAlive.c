/* Keeps one user process alive in a test prefix so that Wine's system processes (services, explorer,
   device drivers) are not shut down and restarted around every short test process; under emulation
   each restart costs seconds. It also brings up the desktop (explorer) itself, with no output
   attached: a desktop started by a test would inherit the test's output pipe and keep CTest waiting.
   Usage: sp_keepalive [seconds [ready-file]]; ends by itself after the seconds (default 900). */
#include <windows.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? (DWORD)strtoul(argv[1], NULL, 10) : 900;
  HWND window;
  GetDesktopWindow();
  window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  if (argc > 2) {
    HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  }
  Sleep(seconds * 1000);
  if (window) DestroyWindow(window);
  return 0;
}
