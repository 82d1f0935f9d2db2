// The configuration manager, modeless, against calib.ini and DevOz.ini in a folder of the test's own.
// Its message boxes are answered from a thread timer, which their modal loops run.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/PanelGlobals.h"
#include "cfgmgr/CfgDlg.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "sysbind/SysEnv.h"
#include "tests/support/SystemFiles.h"

namespace {

using Strings = std::vector<std::string>;

// ---- Message boxes -----------------------------------------------------------------------------

struct Box {
  std::string caption;
  std::string text;
  std::string buttons;  // visible ones: Y(es) N(o) O(k) C(ancel)
  HWND owner;
};

struct Answerer {
  std::deque<int> answers;  // given in turn; then No where offered, else OK
  std::vector<Box> seen;
  std::set<HWND> answered;
};
Answerer* g_answerer = nullptr;

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  return lstrcmpiW(cls, name) == 0;
}

BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM) {
  if (!IsClass(hwnd, L"#32770") || !IsWindowVisible(hwnd) || g_answerer->answered.count(hwnd) != 0) return TRUE;
  Box box{fw::GetWindowTextGbk(hwnd), std::string(), std::string(), GetWindow(hwnd, GW_OWNER)};
  auto visible = [&](int id) { return GetDlgItem(hwnd, id) != nullptr && IsWindowVisible(GetDlgItem(hwnd, id)); };
  for (const auto& kind : {std::make_pair(IDYES, 'Y'), std::make_pair(IDNO, 'N'), std::make_pair(IDOK, 'O'),
                           std::make_pair(IDCANCEL, 'C')}) {
    if (visible(kind.first)) box.buttons += kind.second;
  }
  if (box.buttons.empty()) return TRUE;  // the dialog under test (its 退出 is item 2 but not a box)
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsClass(child, L"Static")) box.text += fw::GetWindowTextGbk(child);
  }
  int answer = visible(IDNO) ? IDNO : IDOK;
  if (!g_answerer->answers.empty()) {
    answer = g_answerer->answers.front();
    g_answerer->answers.pop_front();
  }
  g_answerer->seen.push_back(box);
  g_answerer->answered.insert(hwnd);
  PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, answer)));
  return TRUE;
}

void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_answerer != nullptr) EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

// ---- INI files, compared by content -------------------------------------------------------------

// Sections in order (the lines before the first header under ""), each with its key and comment
// lines; spacing around '=' and blank lines do not count.
using Ini = std::vector<std::pair<std::string, Strings>>;

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

Ini ParseIni(const std::string& bytes) {
  Ini ini{{"", {}}};
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    const auto eq = line.find('=');
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      ini.push_back({Trim(line.substr(1, line.size() - 2)), {}});
    } else if (line.front() != ';' && eq != std::string::npos) {
      ini.back().second.push_back(Trim(line.substr(0, eq)) + "=" + Trim(line.substr(eq + 1)));
    } else {
      ini.back().second.push_back(line);
    }
  }
  if (ini.front().second.empty()) ini.erase(ini.begin());
  return ini;
}

Ini Without(Ini ini, const Strings& names) {
  for (const auto& name : names) {
    for (auto it = ini.begin(); it != ini.end();) it = it->first == name ? ini.erase(it) : it + 1;
  }
  return ini;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// GBK throughout: a key, a value and comments in Chinese, a section named in Chinese, a comment
// before the first section and one between two sections.
const char kCalibIni[] =
    "; 检测线标定\r\n"
    "[lift]\r\nAllTD_Dout = 1,2\r\n1=举升上升\r\n\r\n"
    "[brake]\r\n; 制动台\r\nAllTD_Din=3\r\n3 = 制动到位\r\n"
    "[axle]\r\n  Weight=1200\r\n; 轴重台结束\r\n"
    "[举升机]\r\n名称=举升机\r\n";
const char kDevOzIni[] =
    "[axle]\r\nZero=0.5\r\n[onlyDevOz]\r\nKeep=1\r\n; 只在此文件\r\n[brake]\r\nOffset=3\r\n[lift]\r\nGain=2\r\n"
    "[举升机]\r\n系数=1.5\r\n";

// ---- The fixture ------------------------------------------------------------------------------

class CfgDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "cfgdlg_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    g_strCalibIni = folder_ + "\\calib.ini";
    g_strDevOzIni = folder_ + "\\DevOz.ini";
    sptest::WriteFileBytes(g_strCalibIni, kCalibIni);
    sptest::WriteFileBytes(g_strDevOzIni, kDevOzIni);
    g_answerer = &answerer_;
    timer_ = SetTimer(nullptr, 0, 40, OnAnswerTimer);
  }

  void TearDown() override {
    dlg_.reset();
    KillTimer(nullptr, timer_);
    g_answerer = nullptr;
    DeleteFileA(g_strCalibIni.c_str());
    DeleteFileA(g_strDevOzIni.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  void Open() {
    dlg_ = std::make_unique<CCfgDlg>(nullptr);
    ASSERT_TRUE(dlg_->CreateModeless());
    hwnd_ = dlg_->GetHwnd();
    box_ = GetDlgItem(hwnd_, IDC_CFG_SECTION_LIST);
    list_ = GetDlgItem(hwnd_, IDC_CFG_REPORT);
  }

  Strings ListBox() const {
    Strings out;
    const LRESULT count = SendMessageW(box_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring text(static_cast<std::size_t>(SendMessageW(box_, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
      SendMessageW(box_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
      out.push_back(fw::WideToGbk(text.c_str()));
    }
    return out;
  }

  // Each row as "number name", with " [x]" when checked.
  Strings Rows() const {
    Strings out;
    const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
      std::string line;
      for (int column = 0; column < 2; ++column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        line += (column == 0 ? "" : " ") + fw::WideToGbk(text);
      }
      if ((SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) == 2) line += " [x]";
      out.push_back(line);
    }
    return out;
  }

  void Check(int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  // As the list box reports a double click on the entry `name` (nothing selected when null).
  void DoubleClick(const char* name) const {
    const LRESULT index =
        name == nullptr ? -1 : SendMessageW(box_, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(fw::GbkToWide(name).c_str()));
    SendMessageW(box_, LB_SETCURSEL, index, 0);
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(IDC_CFG_SECTION_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(box_));
  }

  void PressDelete() const {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(IDC_CFG_DELETE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd_, IDC_CFG_DELETE)));
  }

  // Both files hold exactly what they held less the sections `gone`.
  void ExpectOnlyDeleted(const Strings& gone) const {
    EXPECT_EQ(ParseIni(ReadBytes(g_strCalibIni)), Without(ParseIni(kCalibIni), gone)) << "calib.ini";
    EXPECT_EQ(ParseIni(ReadBytes(g_strDevOzIni)), Without(ParseIni(kDevOzIni), gone)) << "DevOz.ini";
  }
  void ExpectFilesUntouched() const {
    EXPECT_EQ(ReadBytes(g_strCalibIni), kCalibIni);
    EXPECT_EQ(ReadBytes(g_strDevOzIni), kDevOzIni);
  }

  Answerer answerer_;
  std::string folder_;
  UINT_PTR timer_ = 0;
  std::unique_ptr<CCfgDlg> dlg_;
  HWND hwnd_ = nullptr;
  HWND box_ = nullptr;
  HWND list_ = nullptr;
};

const Strings kAllRows{"0 lift", "1 brake", "2 axle", "3 举升机"};

// ---- Listing ----------------------------------------------------------------------------------

TEST_F(CfgDlgTest, ListsTheSectionsOfCalibIniSortedAndInFileOrder) {
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(fw::GetWindowTextGbk(hwnd_), "配置文件管理");
  // DevOz.ini's own section is not listed; the list box sorts, the rows keep the file's order.
  EXPECT_EQ(ListBox(), (Strings{"axle", "brake", "lift", "举升机"}));
  EXPECT_EQ(Rows(), kAllRows);
  // No system library in this process: the headings are what its missing entry gives.
  for (int column = 0; column < 2; ++column) {
    wchar_t text[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(ListView_GetHeader(list_), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(fw::WideToGbk(text), kSysEnvTextFallback);
    EXPECT_EQ(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0), column == 0 ? 80 : 160);
  }
  EXPECT_EQ(SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x3D);
  EXPECT_TRUE(answerer_.seen.empty());
}

TEST_F(CfgDlgTest, AHundredSectionsAreListedAndAMissingFileListsNone) {
  std::string many;
  for (int i = 0; i <= 100; ++i) many += "[s" + std::to_string(1000 + i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  sptest::WriteFileBytes(g_strCalibIni, many);
  ASSERT_NO_FATAL_FAILURE(Open());
  const Strings listed = ListBox();
  ASSERT_EQ(listed.size(), 100u);
  EXPECT_EQ(listed.front(), "s1000");
  EXPECT_EQ(listed.back(), "s1099");
  const Strings rows = Rows();
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows[99], "99 s1099");

  DeleteFileA(g_strCalibIni.c_str());
  dlg_->LoadSections();
  EXPECT_TRUE(ListBox().empty());
  EXPECT_TRUE(Rows().empty());
}

// ---- Deleting one section ----------------------------------------------------------------------

TEST_F(CfgDlgTest, DoubleClickAndYesDeletesTheSectionFromBothFilesOnly) {
  ASSERT_NO_FATAL_FAILURE(Open());
  answerer_.answers = {IDYES, IDOK};
  DoubleClick("brake");
  ASSERT_EQ(answerer_.seen.size(), 2u);
  EXPECT_EQ(answerer_.seen[0].caption, "删除配置文件数据");
  EXPECT_EQ(answerer_.seen[0].text, "是否删除【brake】配置数据?");
  EXPECT_EQ(answerer_.seen[0].buttons, "YN");
  EXPECT_EQ(answerer_.seen[1].text, "删除【brake】配置数据成功");
  EXPECT_EQ(answerer_.seen[1].caption, "StationProbe");
  EXPECT_EQ(answerer_.seen[1].buttons, "O");
  for (const Box& box : answerer_.seen) EXPECT_EQ(box.owner, hwnd_);
  ExpectOnlyDeleted({"brake"});
  EXPECT_EQ(ListBox(), (Strings{"axle", "lift", "举升机"}));
  EXPECT_EQ(Rows(), (Strings{"0 lift", "1 axle", "2 举升机"}));

  // A Chinese name goes from the list box back to the files unchanged.
  answerer_.answers = {IDYES, IDOK};
  DoubleClick("举升机");
  ASSERT_EQ(answerer_.seen.size(), 4u);
  EXPECT_EQ(answerer_.seen[3].text, "删除【举升机】配置数据成功");
  ExpectOnlyDeleted({"brake", "举升机"});
  EXPECT_EQ(Rows(), (Strings{"0 lift", "1 axle"}));
}

TEST_F(CfgDlgTest, NoOrNoSelectionChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(Open());
  answerer_.answers = {IDNO};
  DoubleClick("brake");
  ASSERT_EQ(answerer_.seen.size(), 1u);
  EXPECT_EQ(answerer_.seen[0].buttons, "YN");
  DoubleClick(nullptr);
  EXPECT_EQ(answerer_.seen.size(), 1u);
  ExpectFilesUntouched();
  EXPECT_EQ(Rows(), kAllRows);
  EXPECT_EQ(ListBox().size(), 4u);
}

// DevOz.ini cannot be rewritten: the failure is reported and neither file loses the section (a
// deletion from calib.ini alone would leave the two files disagreeing).
TEST_F(CfgDlgTest, ADeletionThatCannotCompleteIsReportedAndChangesNeitherFile) {
  ASSERT_NO_FATAL_FAILURE(Open());
  g_strDevOzIni = folder_ + "\\missing\\DevOz.ini";  // its folder does not exist: cannot be written
  answerer_.answers = {IDYES, IDOK};
  DoubleClick("brake");
  g_strDevOzIni = folder_ + "\\DevOz.ini";
  ASSERT_EQ(answerer_.seen.size(), 2u);
  EXPECT_EQ(answerer_.seen[1].text, "删除【brake】配置数据失败");
  ExpectFilesUntouched();
  EXPECT_EQ(Rows(), kAllRows);
}

TEST_F(CfgDlgTest, ANameTooLongToReadBackIsReportedFailedNotCutToAnother) {
  // A section whose name is the first 511 characters of a longer entry: cutting the entry to the
  // name buffer would name it. Too long for the slots, it is not listed itself.
  const std::string stem(511, 'w');
  sptest::WriteFileBytes(g_strCalibIni, std::string(kCalibIni) + "[" + stem + "]\r\nk=1\r\n");
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(Rows(), kAllRows);
  const std::string before = ReadBytes(g_strCalibIni);
  SendMessageW(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::GbkToWide((stem + "tail").c_str()).c_str()));
  answerer_.answers = {IDYES, IDOK};
  DoubleClick((stem + "tail").c_str());
  ASSERT_EQ(answerer_.seen.size(), 2u);
  EXPECT_EQ(answerer_.seen[1].text.find("成功"), std::string::npos) << answerer_.seen[1].text;
  EXPECT_EQ(answerer_.seen[1].text.rfind("删除【www", 0), 0u);
  EXPECT_EQ(ReadBytes(g_strCalibIni), before);
  EXPECT_EQ(ReadBytes(g_strDevOzIni), kDevOzIni);
}

// ---- Deleting the checked rows -----------------------------------------------------------------

TEST_F(CfgDlgTest, CheckedRowsAreDeletedWithoutAQuestionAndCounted) {
  ASSERT_NO_FATAL_FAILURE(Open());
  PressDelete();  // nothing checked
  ASSERT_EQ(answerer_.seen.size(), 1u);
  EXPECT_EQ(answerer_.seen[0].text, "成功删除0个配置");
  EXPECT_EQ(answerer_.seen[0].buttons, "O");
  ExpectFilesUntouched();

  Check(0);
  Check(2);
  ASSERT_EQ(Rows(), (Strings{"0 lift [x]", "1 brake", "2 axle [x]", "3 举升机"}));
  PressDelete();
  ASSERT_EQ(answerer_.seen.size(), 2u);
  EXPECT_EQ(answerer_.seen[1].text, "成功删除2个配置");
  EXPECT_EQ(answerer_.seen[1].caption, "StationProbe");
  EXPECT_EQ(answerer_.seen[1].owner, hwnd_);
  ExpectOnlyDeleted({"lift", "axle"});
  EXPECT_EQ(ListBox(), (Strings{"brake", "举升机"}));
  EXPECT_EQ(Rows(), (Strings{"0 brake", "1 举升机"}));
}

TEST_F(CfgDlgTest, SortingByAHeaderClickDeletesTheRowsAsShown) {
  ASSERT_NO_FATAL_FAILURE(Open());
  Check(0);  // lift, before the sort
  NMLISTVIEW click{};
  click.hdr = {list_, IDC_CFG_REPORT, static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = 1;
  SendMessageW(hwnd_, WM_NOTIFY, IDC_CFG_REPORT, reinterpret_cast<LPARAM>(&click));
  // The mark went with its row; an index into the file's order would name axle now.
  ASSERT_EQ(Rows(), (Strings{"2 axle", "1 brake", "0 lift [x]", "3 举升机"}));
  PressDelete();
  ASSERT_EQ(answerer_.seen.size(), 1u);
  EXPECT_EQ(answerer_.seen[0].text, "成功删除1个配置");
  ExpectOnlyDeleted({"lift"});
  // Rebuilt in file order again.
  EXPECT_EQ(Rows(), (Strings{"0 brake", "1 axle", "2 举升机"}));
}

}  // namespace
