#include "station/StationDevice.h"

#include <cstdio>

#include "devbind/HardWareDll.h"

namespace station {

void FormatDeviceLibraryPath(const char* directory, char (&path)[kDeviceLibraryPathSize]) {
  const int n = std::snprintf(path, sizeof path, "%s\\Hardware.dll", directory != nullptr ? directory : "");
  if (n < 0 || n >= static_cast<int>(sizeof path)) path[0] = '\0';
}

bool OpenDevice(CHardWareDll& device, const char* directory) {
  char path[kDeviceLibraryPathSize] = {};
  FormatDeviceLibraryPath(directory, path);
  device.Load(path);
  device.ExtClose();
  device.ExtOpen(kDeviceName);
  return device.IsLoaded();
}

void CloseDevice(CHardWareDll& device) {
  if (!device.IsLoaded()) return;
  device.ExtClose();
  device.ExtStop();
  device.ExtRelease();
  device.Unload();
}

}  // namespace station
