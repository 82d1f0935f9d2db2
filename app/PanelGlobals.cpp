#include "app/PanelGlobals.h"

std::string g_strCalibIni;
std::string g_strSysOzIni;
std::string g_strDevIdIni;
std::string g_strDevOzIni;
HBITMAP g_hbmLampOn = nullptr;
HBITMAP g_hbmLampOff = nullptr;
