// The ids of the manager's dialog templates and controls, shared by its resource script
// (QDSTRAT.rc) and the dialog classes.
#pragma once

#define IDD_QDKLAY01 129
#define IDD_TVLAY1T 130
#define IDD_TVLAY2T 132
#define IDD_TVLAY1M 133
#define IDD_TVLAY2M 137
#define IDD_TVLAY1L 138
#define IDD_TVLAY2L 139
#define IDD_TVLAY3L 140
#define IDD_TVLAY4L 141
#define IDD_TVLAY5L 143
#define IDD_TVLAY6L 144
#define IDD_TVLAYPAU 145
#define IDD_TVLAY7L 146
#define IDD_TVLAY9L 147
#define IDD_TVLAY1K 149
#define IDD_TVLAY8L 101

// Main dialog
#define IDC_TAB 1000
#define IDC_HISTORY 1001
#define IDC_NOTE 1002
#define IDC_SET 1003
#define IDC_LOCK 1004

// Selection page
#define IDC_TREE 1010
#define IDC_FLOOR 1011
#define IDC_PATH 1012
#define IDC_DESCRIPTION 1013
#define IDC_NEW 1014
#define IDC_EDIT 1015
#define IDC_COPY 1016
#define IDC_DELETE 1017
#define IDC_UP 1018
#define IDC_DOWN 1019
#define IDC_IMPORT 1020
#define IDC_EXPORT 1021
#define IDC_MNU 1022

// Options page
#define IDC_OPT_ON 1031
#define IDC_OPT_CURRENT 1032
#define IDC_OPT_THAW 1033
#define IDC_OPT_ZOOM 1034
#define IDC_OPT_FLOOR 1035
#define IDC_OPT_SECTION 1036
#define IDC_LOCK_LABEL 1037
#define IDC_LOCK_YES 1038
#define IDC_LOCK_NO 1039
#define IDC_LOCK_ASK 1040
#define IDC_STANDARD 1041
#define IDC_CONSTRUCTION 1042

// Construction or general layer
#define IDC_CHOICE_TEXT 1050
#define IDC_CHOICE_CONSTRUCTION 1051
#define IDC_CHOICE_GENERAL 1052
