// Resource identifiers of StationProbe. The numbers are fixed: other programs of the station and
// its documentation refer to the panel's items by number.
#pragma once

// Templates
#define IDD_ABOUTBOX 100
#define IDD_STATIONPROBE_DIALOG 102
#define IDD_CFGDLG 144
#define IDD_TREND 150

// Strings, icon, bitmaps
#define IDS_ABOUTBOX 101
#define IDR_MAINFRAME 128
#define IDB_LAMP_OFF 140
#define IDB_LAMP_ON 141

// System menu command of the About box
#define IDM_ABOUTBOX 0x0010

// Panel (template 102)
#define IDC_ALL_OUTPUTS_LOW 1072
#define IDC_OUTPUT_HEADING 1156
#define IDC_INPUT_HEADING 1155
#define IDC_ANALOG_HEADING 1154
#define IDC_ANALOG_COUNT 1159
#define IDC_RESET_COUNTERS 1158
#define IDC_DRAG 1163
#define IDC_CFGMGR 1161
#define IDC_EXIT 1160
// Output buttons by channel: 0 is 1071, 1..15 are 1055 + k, 16..23 are 1057 + k
#define IDC_OUTPUT_0 1071
#define IDC_OUTPUT_1 1056
#define IDC_OUTPUT_15 1070
#define IDC_OUTPUT_16 1073
#define IDC_OUTPUT_23 1080
// Input rows: lamp 1086 + k, caption 1102 + k (k = 0..15)
#define IDC_INPUT_LAMP_0 1086
#define IDC_INPUT_CAPTION_0 1102
// Analog rows: caption 1118 + 2k, read-out 1119 + 2k (k = 0..15)
#define IDC_ANALOG_CAPTION_0 1118
#define IDC_ANALOG_READOUT_0 1119
// Counters: labels of columns 1..4, first and second values of columns 1..4
#define IDC_COUNTER_LABEL_1 1150
#define IDC_COUNTER_LABEL_2 1152
#define IDC_COUNTER_LABEL_3 1162
#define IDC_COUNTER_LABEL_4 1164
#define IDC_COUNTER_200 1151
#define IDC_COUNTER_201 1153
#define IDC_COUNTER_202 1165
#define IDC_COUNTER_203 1166
#define IDC_COUNTER_204 1157
#define IDC_COUNTER_205 1167
#define IDC_COUNTER_206 1168
#define IDC_COUNTER_207 1169
// Distances: values 1171 + d, labels 1175 + d (d = 0..3)
#define IDC_DISTANCE_VALUE_0 1171
#define IDC_DISTANCE_LABEL_0 1175

// Configuration manager (template 144)
#define IDC_CFG_SECTION_LIST 1161
#define IDC_CFG_REPORT 1164
#define IDC_CFG_DELETE 1165

// Trend window (template 150)
#define IDC_TREND_1MIN 1200
#define IDC_TREND_10MIN 1201
#define IDC_TREND_60MIN 1202
#define IDC_TREND_PAUSE 1203
#define IDC_TREND_EXPORT_CSV 1204
#define IDC_TREND_EXPORT_PNG 1205
#define IDC_TREND_STATUS 1206
#define IDC_TREND_ANALOG 1207
#define IDC_TREND_COUNTERS 1208
#define IDC_TREND_DISTANCES 1209
#define IDC_TREND_INPUTS 1210
// The panel's channel menu: "趋势"
#define IDM_TREND 1211
