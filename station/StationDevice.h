// The station's device as the station's programs open and close it, so that none of them leaves
// the device in a state another would not: the device library from the directory the system
// library names, closed and then opened under the panel's name; at the end closed, stopped and
// released.
#pragma once

#include <cstddef>

class CHardWareDll;

namespace station {

constexpr char kDeviceName[] = "ProbeDesk";
constexpr std::size_t kDeviceLibraryPathSize = 256;

// "<directory>\Hardware.dll", or empty when that does not fit: a cut path would name another file
// (the load then fails cleanly).
void FormatDeviceLibraryPath(const char* directory, char (&path)[kDeviceLibraryPathSize]);

// Loads the device library from `directory`, then ExtClose and ExtOpen(kDeviceName). The two calls
// are made whether or not the library loaded (the binding answers them). Returns IsLoaded().
bool OpenDevice(CHardWareDll& device, const char* directory);

// ExtClose, ExtStop, ExtRelease and unloading, when a library is loaded.
void CloseDevice(CHardWareDll& device);

}  // namespace station
