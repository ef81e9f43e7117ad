// Resource identifiers of Tamsiro.exe, shared by Tamsiro.rc and the sources.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDS_RESTORE 103
#define IDD_PROGRESS 104
#define IDR_MAINFRAME 128

// System-menu command: the low four bits are the system's own.
#define IDM_ABOUTBOX 0x0010
#define IDM_RESTORE 0x0020

#define IDC_SAVE 1003
#define IDC_PROGRESS_STEP 1004
#define IDC_PROGRESS_BAR 1005
// Under the groups: Restore, and the status line (the stick, what it
// holds, and the file a greyed set lacks).
#define IDC_RESTORE 1006
#define IDC_STICK_ROOT 1007
#define IDC_STICK_STATUS 1008
#define IDC_MISSING_FILES 1009

// The choices: three groups of six in the catalogue's order, row k of a
// group being its first identifier plus k (tamsiro_dlg.cpp maps them to the
// catalogue's rows and checks the numbering).
#define IDC_MAIN_1 1011
#define IDC_MAIN_2 1012
#define IDC_MAIN_3 1013
#define IDC_MAIN_4 1014
#define IDC_MAIN_5 1015
#define IDC_MAIN_6 1016
#define IDC_VOICE_1 1021
#define IDC_VOICE_2 1022
#define IDC_VOICE_3 1023
#define IDC_VOICE_4 1024
#define IDC_VOICE_5 1025
#define IDC_VOICE_6 1026
#define IDC_GAMES_1 1031
#define IDC_GAMES_2 1032
#define IDC_GAMES_3 1033
#define IDC_GAMES_4 1034
#define IDC_GAMES_5 1035
#define IDC_GAMES_6 1036

// "Other sets in this folder", made at run time and only when there are
// any: the box, and its rows from IDC_OTHER_SET_1 on, one per set.
#define IDC_OTHER_SETS 1100
#define IDC_OTHER_SET_1 1101
#define IDC_OTHER_SET_LAST 1199

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
