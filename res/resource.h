// Resource, command and control ids of Marrowick, grouped by prefix in
// numeric blocks; every id is unique across the program.
#ifndef MARROWICK_RESOURCE_H
#define MARROWICK_RESOURCE_H

// Icons
#define IDI_MAIN                    101

// Dialogs
#define IDD_PROPERTIES              202
#define IDD_SELECT_CACHE_FOLDER     203
#define IDD_COPY_FILES              204
#define IDD_ABOUT                   210

// Menus and accelerators
#define IDR_MAIN_MENU               301
#define IDR_POPUP_MENUS             302
#define IDR_ACCELERATORS            401

// Bitmaps
#define IDB_TOOLBAR                 501
#define IDB_SORT_ARROWS             502

// Child windows of the main window
#define IDC_TOOLBAR                 1010
#define IDC_LIST                    1011
#define IDC_STATUSBAR               1012

// Commands: menu items, accelerators, toolbar buttons
#define IDM_SELECT_CACHE_FOLDER     1020
#define IDM_OPEN_CACHE_FILE         1021
#define IDM_OPEN_LINK               1022
#define IDM_COPY_CACHE_FILES        1023
#define IDM_DELETE_FILES            1024
#define IDM_COPY_ITEMS              1025
#define IDM_COPY_URLS               1026
#define IDM_SAVE_ITEMS              1027
#define IDM_REFRESH                 1028
#define IDM_PROPERTIES              1029
#define IDM_FIND                    1030
#define IDM_FIND_NEXT               1031
#define IDM_DEFAULT_OPEN_LINK       1032
#define IDM_DEFAULT_OPEN_FILE       1033
#define IDM_DEFAULT_PROPERTIES      1034
#define IDM_SHOW_GMT                1035
#define IDM_MARK_EMPTY              1036
#define IDM_DELETE_TO_RECYCLE       1037
#define IDM_ABOUT                   1038
#define IDM_DELETE_PERMANENTLY      1039
#define IDM_EXIT                    1040
#define IDM_SELECT_ALL              1050
#define IDM_INVERT_SELECTION        1051
#define IDM_VIEW_MAIN_CACHE         1060
#define IDM_VIEW_BIG_PICTURE_CACHE  1061
#define IDM_COLUMN_FIRST            2010  // + ColumnId, 2010 to 2019

// Dialog controls
#define IDC_PATH_EDIT               1070
#define IDC_BROWSE                  1071
#define IDC_AUTO_DETECT             1072
#define IDC_AUTO_RENAME             1080
#define IDC_WEBSITE                 1090
#define IDC_PROP_LABEL_FIRST        2110  // + ColumnId, 2110 to 2119
#define IDC_PROP_VALUE_FIRST        2210  // + ColumnId, 2210 to 2219

// Quick filter: the box on the toolbar, the key that focuses it, the
// button that clears it
#define IDC_FILTER_BOX              1120
#define IDM_FOCUS_FILTER            1121
#define IDC_FILTER_CLEAR            1122
// Preview pane: its command, the pane and its controls
#define IDM_PREVIEW_PANE            1100
#define IDC_PREVIEW                 1101
#define IDC_PREVIEW_TEXT            1102

#endif
