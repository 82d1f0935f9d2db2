#pragma once
#define IDD_FW_TEST 200
#define IDC_FW_STATIC 1001
#define IDC_FW_BUTTON 1002
#define IDC_FW_EDIT 1003
#define IDC_FW_LIST 1004
#define IDC_FW_COMBO 1005
