#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Text.h"
#include "tests/support/TestSupport.h"

namespace {

// 控制 ABC, 光电开关 in GBK bytes and in UTF-16.
const char kGbk[] = "\xBF\xD8\xD6\xC6 ABC \xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8";
const wchar_t kWide[] = L"\x63A7\x5236 ABC \x5149\x7535\x5F00\x5173";

TEST(GbkWindowText, RoundTripsTheSameBytesWhateverTheCodePage) {
  // This test runs twice: at code page 936 (as at the stations) and 1252.
  const UINT cp = sptest::ActiveCodePage();
  EXPECT_TRUE(cp == 936 || cp == 1252) << cp;

  HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(fw::SetWindowTextGbk(hwnd, kGbk));
  wchar_t wide[64] = {};
  GetWindowTextW(hwnd, wide, 64);
  EXPECT_STREQ(wide, kWide);
  EXPECT_EQ(fw::GetWindowTextGbk(hwnd), std::string(kGbk));

  // Bounded read: cut on a character boundary, always terminated.
  char small[4];
  EXPECT_EQ(fw::GetWindowTextGbk(hwnd, small, sizeof small), 2u);
  EXPECT_STREQ(small, "\xBF\xD8");
  char big[64];
  EXPECT_EQ(fw::GetWindowTextGbk(hwnd, big, sizeof big), sizeof kGbk - 1);

  fw::SetWindowTextGbk(hwnd, "");
  EXPECT_EQ(fw::GetWindowTextGbk(hwnd), std::string());
  DestroyWindow(hwnd);
}

TEST(GbkWindowText, ConversionsHandleEmptyAndPartialInput) {
  EXPECT_EQ(fw::GbkToWide(nullptr), std::wstring());
  EXPECT_EQ(fw::GbkToWide(""), std::wstring());
  EXPECT_EQ(fw::GbkToWide(kGbk), std::wstring(kWide));
  EXPECT_EQ(fw::GbkToWide(kGbk, 2), std::wstring(L"\x63A7"));
  EXPECT_EQ(fw::WideToGbk(kWide), std::string(kGbk));
  EXPECT_EQ(fw::WideToGbk(nullptr), std::string());
}

}  // namespace
