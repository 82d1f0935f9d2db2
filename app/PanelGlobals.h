// Process-wide data the panel owns: the full paths of the station's configuration files (built at
// initialisation) and the lamp images (loaded once, never freed). The configuration manager reads
// the paths too.
#pragma once

#include <windows.h>

#include <string>

extern std::string g_strCalibIni;
extern std::string g_strSysOzIni;
extern std::string g_strDevIdIni;
extern std::string g_strDevOzIni;
extern HBITMAP g_hbmLampOn;
extern HBITMAP g_hbmLampOff;
