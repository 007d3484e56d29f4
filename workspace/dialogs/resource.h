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

// The tree's context menu
#define IDR_TREE_MENU 150
#define ID_TREE_SET 1200
#define ID_TREE_LOCK 1201
#define ID_TREE_COPY 1202
#define ID_TREE_EDIT 1203
#define ID_TREE_DELETE 1204

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
#define IDC_INFO 1023

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

// Definition dialog
#define IDC_DEF_MODE 1100
#define IDC_DEF_GROUP 1101
#define IDC_DEF_NAME 1102
#define IDC_DEF_DESCRIPTION 1103
#define IDC_DEF_NEW_LABEL 1104
#define IDC_DEF_LIST_LABEL 1105
#define IDC_DEF_OPERATION 1106
#define IDC_F_SECTION 1107
#define IDC_F_MODULE 1108
#define IDC_F_CONSTRUCTION 1109
#define IDC_F_FLOOR 1110
#define IDC_F_VIEW 1111
#define IDC_F_REST 1112
#define IDC_DEF_MASK 1113
#define IDC_DEF_FREE 1114
#define IDC_T_SECTION 1115
#define IDC_T_MODULE 1116
#define IDC_T_CONSTRUCTION 1117
#define IDC_T_GENERAL 1118
#define IDC_T_FLOOR 1119
#define IDC_T_VIEW 1120
#define IDC_T_XREF 1121
#define IDC_T_LAYER 1122
#define IDC_DEF_LIST 1123
#define IDC_DEF_ADD 1124
#define IDC_DEF_REMOVE 1125
#define IDC_DEF_UP 1126
#define IDC_DEF_DOWN 1127
#define IDC_DEF_RESET 1128
#define IDC_DEF_PREVIEW 1129

// Choosers
#define IDC_CH_LABEL 1150
#define IDC_CH_LIST 1151
#define IDC_CH_PICK 1152
#define IDC_CH_FILTER_LABEL 1153
#define IDC_CH_FILTER 1154
#define IDC_CH_PLAIN 1155
#define IDC_CH_NAME 1156

// New group, copy, information, end of preview
#define IDC_NG_LABEL 1170
#define IDC_NG_NAME_LABEL 1171
#define IDC_NG_NAME 1172
#define IDC_NG_TIED 1173
#define IDC_NG_FLOOR 1174
#define IDC_CP_LABEL 1175
#define IDC_CP_WHERE 1176
#define IDC_CP_GROUP 1177
#define IDC_INFO_TREE 1178
#define IDC_PAUSE_TEXT 1179
