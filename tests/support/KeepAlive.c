/* Keeps one user process alive in a test prefix so that Wine's system processes (services, explorer,
   device drivers) are not shut down and restarted around every short test process; under emulation
   each restart costs seconds. Ends by itself after the given number of seconds (default 900). */
#include <windows.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? (DWORD)strtoul(argv[1], NULL, 10) : 900;
  Sleep(seconds * 1000);
  return 0;
}
