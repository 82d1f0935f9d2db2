/* A device library with only two entries: every other slot of the binding must stay empty. */
#include <windows.h>

static int g_open;

__declspec(dllexport) void __cdecl ExtOpen(const char* identity) { g_open = identity != NULL; }
__declspec(dllexport) void __cdecl ExtClose(void) { g_open = 0; }
