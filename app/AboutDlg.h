// The About box, on the panel's system menu.
#pragma once

#include "widgets/BDialog.h"

class CAboutDlg : public CBDialog {
 public:
  explicit CAboutDlg(HWND parent);
};
