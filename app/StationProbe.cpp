#include "app/StationProbe.h"

#include <windows.h>

#include "app/StationProbeDlg.h"
#include "station/Channels.h"

CStationProbeApp theApp;

bool CStationProbeApp::OnStartup() {
  // The mutex only marks that a panel runs; it is never waited on and never closed by us.
  m_hInstanceMutex = CreateMutexA(nullptr, FALSE, station::kPanelMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(m_hInstanceMutex);
    m_hInstanceMutex = nullptr;
    return false;
  }
  EnableControlContainer();

  CStationProbeDlg dlg(nullptr);
  SetMainWindow(&dlg);
  dlg.DoModal();  // every way of ending the panel leads here; the result is not examined
  SetMainWindow(nullptr);
  return false;
}
