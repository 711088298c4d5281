// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDD_FOLDER_DIALOG 200
#define IDC_FOLDER_PATH 201
#define IDC_FOLDER_BROWSE 202
#define IDC_FOLDER_LABEL 203
