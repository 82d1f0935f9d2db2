// Resource identifiers of the widget tests.
#pragma once

#define IDD_WT_MOVE 200
#define IDD_WT_COLOR 201
#define IDD_WT_BACKGROUND 202

#define IDB_WT_GRADIENT 210
#define IDB_WT_SMALL 211
#define IDB_WT_MISSING 219

// Move test dialog, in window order.
#define IDC_MT_STATIC 1001
#define IDC_MT_EDIT 1002
#define IDC_MT_BUTTON 1003
#define IDC_MT_HIDDEN 1004
#define IDC_MT_COMBO3 1005
#define IDC_MT_COMBO20 1006
#define IDC_MT_LIST 1007
#define IDC_MT_TALL 1008
#define IDC_MT_IP 1009
#define IDC_MT_PROGRESS 1010
#define IDC_MT_SHORT 1011
#define IDC_MT_BUTTON49 1012
#define IDC_MT_STATIC50 1013

// Colour static test dialog.
#define IDC_CS_CAPTION 1101
#define IDC_CS_LONG 1102
#define IDC_CS_PLAIN 1103
