#pragma once

// Resource and control ids shared by the resource script and the program.

#define IDI_MORNSTAVE 101
#define IDD_MAIN 102
#define IDD_ABOUT 103
#define IDM_MAIN 104

#define IDC_RESULT 1002
#define IDC_SAVE 1003

#define IDM_ABOUT 1000
#define IDM_EXIT 1001
#define IDM_PROCESS_CARD 40002
#define IDM_PROCESS_FOLDER 40003
#define IDM_OPTIONS 40004

#define IDR_ACCELERATORS 105
#define IDD_OPTIONS 106

#define IDM_SELECT_ALL 40005
#define IDM_SAVE_TABLE 40006

// The card list, made by the program when a result of several cards comes.
#define IDC_CARD_LIST 1004
#define IDC_FILTER 1005
#define IDC_FILTER_LABEL 1006
#define IDM_FIND 40007

#define IDC_ENCODING_CP932 1101
#define IDC_ENCODING_UTF8 1102
#define IDC_FONT_SIZE 1103
#define IDC_ADVISE 1104
