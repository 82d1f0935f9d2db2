#include "app/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(HWND parent) : CBDialog(IDD_ABOUTBOX, parent) {}
