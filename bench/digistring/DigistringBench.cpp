// Paint cost of the panel's analog read-outs (one per analog channel), against as many plain static
// texts of the same size showing new texts, and proof that painting releases its GDI objects.
// Prints figures only.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "DigistringBenchIds.h"
#include "framework/Dialog.h"
#include "station/Channels.h"
#include "tests/soak/ProcessCounts.h"
#include "tests/support/TestSupport.h"
#include "widgets/Digistring.h"

namespace {

constexpr int kDisplays = station::kAnalogChannels;  // the template has items for 16

class BenchDialog : public fw::Dialog {
 public:
  BenchDialog() : fw::Dialog(IDD_BENCH, nullptr) {}
  CDigistring readouts[kDisplays];
  HWND Static(int k) const { return GetDlgItem(GetHwnd(), IDC_STATIC0 + k); }

 protected:
  void DoDataExchange() override {
    for (int k = 0; k < kDisplays; ++k) BindItem(IDC_READOUT0 + k, readouts[k]);
  }
};

// One round: every display repaints through WM_PAINT, or with `newText` each gets a changed value (as
// the polling cycle does) and shows it.
void PaintRound(BenchDialog& dialog, bool newText, int round) {
  for (CDigistring& readout : dialog.readouts) {
    if (newText) {
      readout.SetText(round % 2 ? "-12.345" : "-12.346");
    } else {
      InvalidateRect(readout.GetHwnd(), nullptr, TRUE);
    }
    UpdateWindow(readout.GetHwnd());
  }
}

// The same for the plain static texts: a new text each, painted.
void StaticRound(BenchDialog& dialog, int round) {
  for (int k = 0; k < kDisplays; ++k) {
    SetWindowTextW(dialog.Static(k), round % 2 ? L"-12.345" : L"-12.346");
    UpdateWindow(dialog.Static(k));
  }
}

struct Timing {
  double meanMs;
  double medianMs;
  double bestMs;
};

Timing Summary(std::vector<double> times) {
  double sum = 0;
  for (double t : times) sum += t;
  std::sort(times.begin(), times.end());
  return {sum / static_cast<double>(times.size()), times[times.size() / 2], times.front()};
}

Timing TimeRounds(BenchDialog& dialog, bool newText, int rounds) {
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const double start = sptest::Seconds();
    PaintRound(dialog, newText, r);
    times.push_back((sptest::Seconds() - start) * 1000.0);
  }
  return Summary(times);
}

// Read-outs and static texts with new values, round about, so that both meet the same machine.
void TimeAgainstStatics(BenchDialog& dialog, int rounds, Timing& readouts, Timing& statics) {
  std::vector<double> a, b;
  for (int r = 0; r < rounds; ++r) {
    double start = sptest::Seconds();
    PaintRound(dialog, true, r);
    a.push_back((sptest::Seconds() - start) * 1000.0);
    start = sptest::Seconds();
    StaticRound(dialog, r);
    b.push_back((sptest::Seconds() - start) * 1000.0);
  }
  readouts = Summary(a);
  statics = Summary(b);
}

// The drawing alone: every display paints into one memory context through WM_PRINTCLIENT, without
// the window system's part of a paint.
double TimeOffScreen(BenchDialog& dialog, int width, int height, int rounds) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(mem, bitmap);
  const double start = sptest::Seconds();
  for (int r = 0; r < rounds; ++r) {
    for (CDigistring& readout : dialog.readouts) {
      SendMessageW(readout.GetHwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    }
  }
  GdiFlush();
  const double ms = (sptest::Seconds() - start) * 1000.0 / rounds;
  SelectObject(mem, previous);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ms;
}

void Layout(BenchDialog& dialog, int width, int height) {
  // Four columns of four read-outs, then four of four static texts: nothing covers anything else.
  for (int k = 0; k < kDisplays; ++k) {
    SetWindowPos(dialog.readouts[k].GetHwnd(), nullptr, 4 + (k % 4) * (width + 4), 4 + (k / 4) * (height + 4), width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(dialog.Static(k), nullptr, 4 + (4 + k % 4) * (width + 4), 4 + (k / 4) * (height + 4), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(dialog.GetHwnd(), nullptr, 0, 0, 8 + 8 * (width + 4), 8 + 4 * (height + 4),
               SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(dialog.GetHwnd());
  sptest::PumpMessages();
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  BenchDialog dialog;
  if (!dialog.CreateModeless()) {
    std::printf("could not create the dialog\n");
    return 1;
  }
  RECT units{0, 0, 50, 15};
  MapDialogRect(dialog.GetHwnd(), &units);
  RECT client{};
  GetClientRect(dialog.readouts[0].GetHwnd(), &client);
  std::printf("read-out of 50 x 15 dialog units (dialog font 9 pt): MapDialogRect %ld x %ld px, item client %ld x %ld px\n",
              units.right, units.bottom, client.right, client.bottom);
  const int panelWidth = client.right;
  const int panelHeight = client.bottom;

  for (CDigistring& readout : dialog.readouts) readout.SetText("-12.345");
  sptest::PumpMessages();

  const int rounds = 200;
  struct Size {
    const char* name;
    int width;
    int height;
  } sizes[] = {{"panel size", panelWidth, panelHeight}, {"4x size", 4 * panelWidth, 4 * panelHeight}};
  for (const Size& size : sizes) {
    Layout(dialog, size.width, size.height);
    TimeRounds(dialog, false, 10);  // warm up
    const Timing same = TimeRounds(dialog, false, rounds);
    Timing changed{}, statics{};
    TimeAgainstStatics(dialog, rounds, changed, statics);
    const double offScreen = TimeOffScreen(dialog, size.width, size.height, rounds);
    std::printf("%-10s %4d x %-4d px, %d displays showing -12.345, %d rounds each:\n", size.name, size.width,
                size.height, kDisplays, rounds);
    std::printf("  repainted (WM_PAINT):                    mean %7.3f ms, best %7.3f ms\n", same.meanMs, same.bestMs);
    std::printf("  new value each, painted:                 mean %7.3f ms, best %7.3f ms\n", changed.meanMs,
                changed.bestMs);
    std::printf("  drawing alone (WM_PRINTCLIENT, memory):  mean %7.3f ms\n", offScreen);
    std::printf("  static texts, new text each:             mean %7.3f ms, best %7.3f ms\n", statics.meanMs,
                statics.bestMs);
    // Medians: other work on the machine lands on single rounds.
    std::printf("@bench|%d static texts with new texts painted (%s)|%.3f|ms|\n", kDisplays, size.name,
                statics.medianMs);
    std::printf("@bench|%d read-outs with new values painted (%s)|%.3f|ms|read-outs/static texts %.2f\n", kDisplays,
                size.name, changed.medianMs, changed.medianMs / statics.medianMs);
  }

  Layout(dialog, panelWidth, panelHeight);
  const soak::ProcessCounts before = soak::ReadProcessCounts();
  const int paints = 10000;
  const double start = sptest::Seconds();
  for (int i = 0; i < paints / kDisplays; ++i) PaintRound(dialog, true, i);
  const double seconds = sptest::Seconds() - start;
  std::printf("%d paints (with new values) in %.2f s; what the process holds:\n%s", paints, seconds,
              soak::Describe(before, soak::ReadProcessCounts()).c_str());

  DestroyWindow(dialog.GetHwnd());
  return 0;
}
