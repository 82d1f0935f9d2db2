// The configuration manager: lists the sections of the station's calib.ini and deletes sections
// from calib.ini and DevOz.ini, one by a double click (after a question) or all checked rows at once.
#pragma once

#include <windows.h>

#include "cfgmgr/ReportCtrl.h"
#include "framework/Dialog.h"
#include "framework/Window.h"
#include "station/ProfileWin32.h"
#include "widgets/MoveControl.h"

class CCfgDlg : public fw::Dialog {
 public:
  // The manager works on the station files named in `paths`.
  CCfgDlg(HWND parent, const station::ConfigPaths& paths);

  bool PreTranslateMessage(MSG* msg) override;

  // Rebuilds both lists from calib.ini.
  void LoadSections();
  void OnDblclkSectionList();
  void OnDeleteChecked();

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  CMoveControl m_mover;
  CReportCtrl m_list;
  fw::Window m_listBox;
  station::ConfigPaths m_paths;
};
