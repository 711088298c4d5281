// Resource identifiers of the main window's own resources: the wallpaper-folder
// dialog of a first run, the about box, its licence window and the tool-bar
// images.
#pragma once

// The wallpaper-folder dialog.
#define IDD_WALLPAPER_FOLDER 6000
#define IDC_WALLPAPER_FOLDER_LABEL 6001
#define IDC_WALLPAPER_FOLDER_PATH 6002  /* hidden: the chosen folder, the dialog's value */
#define IDC_WALLPAPER_FOLDER_SHOWN 6003 /* read-only: the path shortened to the field */
#define IDC_WALLPAPER_FOLDER_TREE 6004
#define IDM_WALLPAPER_FOLDER_MENU 6010
#define IDM_CREATE_FOLDER 6011

// The about box.
#define IDD_ABOUT_BOX 6100
#define IDC_ABOUT_ICON 6101
#define IDC_ABOUT_NAME 6102
#define IDC_ABOUT_VERSION 6103
#define IDC_ABOUT_DESCRIPTION 6104
#define IDC_ABOUT_LINK 6105
#define IDC_ABOUT_LICENCE 6106

// The licence window the about box opens, and its texts (UTF-8, the files
// LICENSE and THIRD-PARTY-NOTICES.txt of the release).
#define IDD_LICENCE 6110
#define IDC_LICENCE_TEXT 6111
#define IDR_LICENCE 6112
#define IDR_THIRD_PARTY_NOTICES 6113

// The tool bar's 25 x 25 images in one strip, magenta (#FF00FF) for
// transparent, in the order of the IDI_TOOL_ indices; the same drawn at 125%
// (31 x 31), 150% (38 x 38) and 200% (50 x 50) for larger scales.
#define IDB_TOOL_BAR 6200
#define IDB_TOOL_BAR_125 6201
#define IDB_TOOL_BAR_150 6202
#define IDB_TOOL_BAR_200 6203
#define IDI_TOOL_LOAD_FILE 0
#define IDI_TOOL_LOAD_FOLDER 1
#define IDI_TOOL_VIEW_MODE 2
#define IDI_TOOL_VIEW_STYLE 3
#define IDI_TOOL_CUSTOMIZE 4
#define TOOL_IMAGE_SIZE 25
#define TOOL_IMAGE_COUNT 5

// The main window's bars. The drop-down buttons' commands open their menus
// (the arrow and the button's main part alike).
#define IDC_TOOL_BAR 6300
#define IDC_STATUS_BAR 6301
#define IDC_TOOL_VIEW_MODE 6302
#define IDC_TOOL_VIEW_STYLE 6303
