#pragma once
#define IDD_DS_TEST 300
#define IDC_DS_READOUT 1001
