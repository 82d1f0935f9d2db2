#include "cfgmgr/CfgDlg.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/Application.h"
#include "framework/GbkText.h"
#include "framework/Messages.h"
#include "framework/Text.h"
#include "framework/Trouble.h"
#include "res/resource.h"
#include "station/SectionList.h"
#include "sysbind/SysEnv.h"

namespace {

const char* AppName() {
  fw::Application* app = fw::Application::Current();
  return app != nullptr ? app->Name() : "StationProbe";
}

// 0 when the file can be rewritten, or does not exist yet; otherwise the system's error code of why
// not. A read-only file is left alone even where the system would let this user write it: someone
// protected it.
DWORD WhyNotRewritable(const char* gbkPath) {
  const std::wstring path = fw::GbkToWide(gbkPath);
  if (path.empty()) return ERROR_INVALID_NAME;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : GetLastError();
  if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return ERROR_ACCESS_DENIED;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return 0;
}

// The message box names the section only; the file and the system's reason go to the trouble log.
BOOL NotDeleted(const char* section, const char* gbkPath, DWORD error) {
  fw::ReportTrouble((fw::GbkToWide(AppName()) + L": cannot delete [" + fw::GbkToWide(section) + L"] from " +
                     fw::GbkToWide(gbkPath) + L": " + fw::SystemErrorText(error)).c_str());
  return FALSE;
}

// Deletes the section from calib.ini, then from DevOz.ini, and only when both can be rewritten: a
// deletion that would fail half-way loses nothing. The result is that of DevOz.ini.
BOOL DeleteFromBothFiles(const station::ConfigPaths& paths, const char* section) {
  const char* const files[] = {paths.calibIni.c_str(), paths.devOzIni.c_str()};
  for (const char* file : files) {
    if (const DWORD error = WhyNotRewritable(file)) return NotDeleted(section, file, error);
  }
  fw::Result<void> deleted;
  for (const char* file : files) {
    deleted = station::DeleteProfileSection(section, file);
    if (!deleted.Ok()) NotDeleted(section, file, deleted.code);
  }
  return deleted.Ok();
}

}  // namespace

CCfgDlg::CCfgDlg(HWND parent, const station::ConfigPaths& paths) : fw::Dialog(IDD_CFGDLG, parent), m_paths(paths) {}

void CCfgDlg::DoDataExchange() {
  BindItem(IDC_CFG_REPORT, m_list);
  m_listBox.Attach(GetItem(IDC_CFG_SECTION_LIST));
}

BOOL CCfgDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  m_mover.BindDialog(GetHwnd());
  m_list.InsertColumn(0, GetLangueString("ID"), LVCFMT_LEFT, 80, -1);
  m_list.InsertColumn(1, GetLangueString("设备"), LVCFMT_LEFT, 160, -1);
  SendMessageW(m_list.GetHwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
  LoadSections();
  return TRUE;
}

bool CCfgDlg::PreTranslateMessage(MSG* msg) {
  HWND list = m_list.GetHwnd();
  if ((msg->hwnd == list || IsChild(list, msg->hwnd)) && m_list.PreTranslateMessage(msg)) return true;
  return fw::Dialog::PreTranslateMessage(msg);
}

void CCfgDlg::LoadSections() {
  SendMessageW(m_listBox.GetHwnd(), LB_RESETCONTENT, 0, 0);
  m_list.DeleteAllItems(CReportCtrl::ItemAll);

  station::SectionNameTable names;
  station::Win32ProfileReader profile(m_paths.calibIni.c_str());
  const int count = station::ReadSectionNames(profile, names);

  for (int j = 0; j < count; ++j) {
    SendMessageW(m_listBox.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::GbkToWide(names[j]).c_str()));
    char number[16];
    std::snprintf(number, sizeof number, "%d", j);
    m_list.InsertItem(j, number);
    m_list.SetItemText(j, 1, names[j]);
    m_list.SetCheck(j, false);
  }
}

void CCfgDlg::OnDblclkSectionList() {
  HWND box = m_listBox.GetHwnd();
  const LRESULT selection = SendMessageW(box, LB_GETCURSEL, 0, 0);
  if (selection == LB_ERR) return;
  const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, selection, 0);
  if (length == LB_ERR) return;
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(box, LB_GETTEXT, selection, reinterpret_cast<LPARAM>(&wide[0]));
  wide.resize(static_cast<std::size_t>(length));
  const std::string full = fw::WideToGbk(wide.c_str());
  char name[512] = {};
  const bool fits = full.size() < sizeof name;
  fw::GbkCopyBounded(name, sizeof name, full.c_str());

  char text[512];
  std::snprintf(text, sizeof text, "是否删除【%s】配置数据?", name);
  if (fw::MessageBoxGbk(GetHwnd(), text, "删除配置文件数据", MB_YESNO) != IDYES) return;

  const BOOL deleted = fits ? DeleteFromBothFiles(m_paths, name) : FALSE;
  std::snprintf(text, sizeof text, deleted ? "删除【%s】配置数据成功" : "删除【%s】配置数据失败", name);
  fw::MessageBoxGbk(GetHwnd(), text, AppName(), MB_OK);
  LoadSections();
}

void CCfgDlg::OnDeleteChecked() {
  const int rows = m_list.GetItemCount(CReportCtrl::ItemAll);
  int count = 0;
  for (int i = 0; i < rows; ++i) {
    if (m_list.GetCheck(i) <= 0) continue;
    char name[500] = {};
    m_list.GetItemText(i, 1, name, sizeof name);
    // Only what was deleted is reported as deleted.
    if (DeleteFromBothFiles(m_paths, name)) ++count;
  }
  LoadSections();
  char text[512];
  std::snprintf(text, sizeof text, "成功删除%d个配置", count);
  fw::MessageBoxGbk(GetHwnd(), text, AppName(), MB_OK);
}

bool CCfgDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (fw::CommandId(wParam) == IDC_CFG_SECTION_LIST && fw::CommandCode(wParam) == LBN_DBLCLK) {
        OnDblclkSectionList();
        result = 0;
        return true;
      }
      if (fw::CommandId(wParam) == IDC_CFG_DELETE && fw::CommandCode(wParam) == BN_CLICKED) {
        OnDeleteChecked();
        result = 0;
        return true;
      }
      return false;
    case WM_SIZE:
      result = DefaultDialog(msg, wParam, lParam);
      m_mover.Relayout();
      return true;
    default:
      return false;
  }
}
