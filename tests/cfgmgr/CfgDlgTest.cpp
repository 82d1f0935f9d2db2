// The configuration manager, modeless, against a calib.ini and a DevOz.ini of the test's own.
// Its message boxes are answered from a thread timer, which their modal loops run.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "cfgmgr/CfgDlg.h"
#include "framework/Text.h"
#include "framework/Trouble.h"
#include "res/resource.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace {

station::ConfigPaths g_paths;  // the files the manager under test works on

using Strings = std::vector<std::string>;

// The dialog; the answers its message boxes get in turn (then No where offered, else OK) and their texts.
HWND g_dialog = nullptr;
std::deque<int> g_answers;
Strings g_texts;

BOOL CALLBACK AnswerBox(HWND box, LPARAM) {
  const HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text
  if (text == nullptr || GetPropW(box, L"answered") != nullptr) return TRUE;
  SetPropW(box, L"answered", box);
  g_texts.push_back(fw::GetWindowTextGbk(text));
  const int answer = !g_answers.empty() ? g_answers.front() : GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK;
  if (!g_answers.empty()) g_answers.pop_front();
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
  return TRUE;
}

void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); }

std::vector<std::wstring> g_trouble;
void CollectTrouble(const wchar_t* line) { g_trouble.push_back(line); }

// What a file holds less the sections `without`: blanks and empty lines do not count, as the system
// rewrites them; comments do.
std::string Content(const std::string& bytes, const Strings& without = {}) {
  std::string out;
  for (const char c : bytes) {
    if (c != ' ' && c != '\t' && c != '\r' && (c != '\n' || (!out.empty() && out.back() != '\n'))) out += c;
  }
  for (const std::string& name : without) {
    const std::size_t at = out.find("[" + name + "]\n");
    out.erase(at, out.find("\n[", at) - at + 1);
  }
  return out;
}

// GBK throughout: a key, a value and comments in Chinese, a section named in Chinese, a comment
// before the first section and one between two sections; in calib.ini a section named by 511
// characters, too long for the list.
const std::string kCalibIni =
    "; 检测线标定\r\n[lift]\r\nAllTD_Dout = 1,2\r\n1=举升上升\r\n\r\n[brake]\r\n; 制动台\r\nAllTD_Din=3\r\n"
    "3 = 制动到位\r\n[axle]\r\n  Weight=1200\r\n; 轴重台结束\r\n[举升机]\r\n名称=举升机\r\n"
    "[" + std::string(511, 'w') + "]\r\nk=1\r\n";
const std::string kDevOzIni =
    "[axle]\r\nZero=0.5\r\n[onlyDevOz]\r\nKeep=1\r\n; 只在此文件\r\n[brake]\r\nOffset=3\r\n[lift]\r\nGain=2\r\n"
    "[举升机]\r\n系数=1.5\r\n";

// The name column, " [x]" after a checked row.
Strings Rows() {
  const HWND list = GetDlgItem(g_dialog, IDC_CFG_REPORT);
  Strings out;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    out.push_back(fw::WideToGbk(text) + (ListView_GetCheckState(list, row) ? " [x]" : ""));
  }
  return out;
}

// As the list box reports a double click on the entry `name` (added if missing); the boxes get
// `answers`.
void DoubleClick(const std::string& name, std::deque<int> answers) {
  const HWND box = GetDlgItem(g_dialog, IDC_CFG_SECTION_LIST);
  const std::wstring text = fw::GbkToWide(name.c_str());
  LRESULT index = SendMessageW(box, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) index = SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(box, LB_SETCURSEL, index, 0);
  g_answers = answers;
  SendMessageW(g_dialog, WM_COMMAND, MAKEWPARAM(IDC_CFG_SECTION_LIST, LBN_DBLCLK), LPARAM(box));
}

// Both files hold what they held less the sections `gone`.
void ExpectOnlyDeleted(const Strings& gone) {
  std::ifstream calib(g_paths.calibIni, std::ios::binary), devOz(g_paths.devOzIni, std::ios::binary);
  EXPECT_EQ(Content({std::istreambuf_iterator<char>(calib), {}}), Content(kCalibIni, gone));
  EXPECT_EQ(Content({std::istreambuf_iterator<char>(devOz), {}}), Content(kDevOzIni, gone));
}

// One walk through the manager: deletions that cannot complete are reported and change neither
// file (from calib.ini alone, the two files would disagree): DevOz.ini held open by another
// program, or its folder gone, and a name too long to read back, which cut to the name buffer would
// name another section; the first two with the file and the system's reason in the trouble log.
// Then checked rows and double-clicked entries go from both files, the latter only after Yes.
TEST(CfgDlg, SectionsGoFromBothFilesOnlyAsAskedAndNothingElse) {
  fw::SetTroubleSink(&CollectTrouble);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string pid = std::to_string(GetCurrentProcessId());
  const std::string devOz = g_paths.devOzIni = temp + ("DevOz" + pid + ".ini");
  g_paths.calibIni = temp + ("calib" + pid + ".ini");
  ASSERT_TRUE(sptest::WriteFileBytes(g_paths.calibIni, kCalibIni) && sptest::WriteFileBytes(devOz, kDevOzIni));
  const UINT_PTR timer = SetTimer(nullptr, 0, 40, OnAnswerTimer);
  CCfgDlg dlg(nullptr, g_paths);
  ASSERT_TRUE(dlg.CreateModeless());
  g_dialog = dlg.GetHwnd();

  const HANDLE lock = CreateFileA(devOz.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DoubleClick("brake", {IDYES});
  CloseHandle(lock);
  g_paths.devOzIni = temp + ("missing" + pid + "\\DevOz.ini");
  {
    CCfgDlg missing(nullptr, g_paths);
    ASSERT_TRUE(missing.CreateModeless());
    g_dialog = missing.GetHwnd();
    DoubleClick("brake", {IDYES});
  }
  g_paths.devOzIni = devOz;
  g_dialog = dlg.GetHwnd();
  DoubleClick(std::string(511, 'w') + "x", {IDYES});
  ExpectOnlyDeleted({});
  ASSERT_EQ(g_texts.size(), 6u);
  EXPECT_EQ(g_texts[1], "删除【brake】配置数据失败");
  EXPECT_EQ(g_texts[3], g_texts[1]);
  EXPECT_EQ(g_texts[5].find("成功"), std::string::npos) << g_texts[5];
  g_texts.clear();
  ASSERT_EQ(g_trouble.size(), 2u);
  const std::wstring inUse = L"[brake] from " + fw::GbkToWide(devOz.c_str()) + L": ", gone = L"\\DevOz.ini: ";
  EXPECT_TRUE(g_trouble[0].find(inUse) != std::wstring::npos && g_trouble[0].find(L" (32)") != std::wstring::npos) << g_trouble[0];
  EXPECT_TRUE(g_trouble[1].find(gone) != std::wstring::npos && g_trouble[1].find(L" (3)") != std::wstring::npos) << g_trouble[1];

  const HWND list = GetDlgItem(g_dialog, IDC_CFG_REPORT);
  ListView_SetCheckState(list, 0, TRUE);  // lift
  NMLISTVIEW click{{list, IDC_CFG_REPORT, static_cast<UINT>(LVN_COLUMNCLICK)}, -1, 1, 0, 0, 0, {0, 0}, 0};
  SendMessageW(g_dialog, WM_NOTIFY, IDC_CFG_REPORT, reinterpret_cast<LPARAM>(&click));
  // Sorted, the mark went with its row: an index into the file's order would name axle now.
  ASSERT_EQ(Rows(), (Strings{"axle", "brake", "lift [x]", "举升机"}));
  SendDlgItemMessageW(g_dialog, IDC_CFG_DELETE, BM_CLICK, 0, 0);
  ExpectOnlyDeleted({"lift"});
  EXPECT_EQ(Rows(), (Strings{"brake", "axle", "举升机"}));
  DoubleClick("brake", {IDNO});
  ExpectOnlyDeleted({"lift"});
  DoubleClick("brake", {IDYES});
  // A Chinese name goes from the list back to the files unchanged.
  DoubleClick("举升机", {IDYES});
  ExpectOnlyDeleted({"lift", "brake", "举升机"});
  EXPECT_EQ(Rows(), Strings{"axle"});
  EXPECT_EQ(g_texts, (Strings{"成功删除1个配置", "是否删除【brake】配置数据?", "是否删除【brake】配置数据?",
                                     "删除【brake】配置数据成功", "是否删除【举升机】配置数据?",
                                     "删除【举升机】配置数据成功"}));
  // The report list's own checks go the same way.
  CReportCtrl orphan;
  EXPECT_FALSE(orphan.Create(nullptr, 1));
  EXPECT_EQ(g_trouble, (std::vector<std::wstring>{g_trouble[0], g_trouble[1], L"CReportCtrl: precondition violated: Create without a parent window"}));
  KillTimer(nullptr, timer);
  DeleteFileA(g_paths.calibIni.c_str());
  DeleteFileA(devOz.c_str());
}

// Section names that fill the 2,000-byte listing to its last two bytes are listed whole: the system
// answers such a list as it answers a cut one.
TEST(CfgDlg, AListThatJustFitsIsWhole) {
  g_paths.calibIni = sptest::ExeDirectory() + "\\fits" + std::to_string(GetCurrentProcessId()) + ".ini";
  std::string ini;
  for (int s = 1000; s < 1099; ++s) ini += "[" + std::to_string(s) + std::string(15, 'n') + "]\r\n";
  ASSERT_TRUE(sptest::WriteFileBytes(g_paths.calibIni, ini + "[" + std::string(17, 'z') + "]\r\n"));  // 99 x 20 + 18
  CCfgDlg dlg(nullptr, g_paths);
  ASSERT_TRUE(dlg.CreateModeless());
  g_dialog = dlg.GetHwnd();
  const Strings rows = Rows();
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.back(), std::string(17, 'z'));
  DeleteFileA(g_paths.calibIni.c_str());
}

}  // namespace
