// The application object: one running panel per machine (named mutex), the panel run modally.
#pragma once

#include "framework/Application.h"

class CStationProbeApp : public fw::Application {
 public:
  bool OnStartup() override;

 private:
  HANDLE m_hInstanceMutex = nullptr;  // held for the life of the process
};

extern CStationProbeApp theApp;
