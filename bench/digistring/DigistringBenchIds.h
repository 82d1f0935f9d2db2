#pragma once
#define IDD_BENCH 400
#define IDC_READOUT0 1119
#define IDC_STATIC0 1200
