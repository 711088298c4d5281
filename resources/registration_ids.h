// Resource identifiers of adding pictures: the progress window and the
// overwrite question (range 5000-5499).
#pragma once

#define IDD_REGISTRATION_PROGRESS 5000
#define IDC_REGISTRATION_STATE 5001
#define IDC_REGISTRATION_BAR 5002
#define IDC_REGISTRATION_FILE 5003
#define IDC_REGISTRATION_COUNT 5004

#define IDD_OVERWRITE_QUESTION 5100
#define IDC_OVERWRITE_ICON 5101
#define IDC_OVERWRITE_TEXT 5102
#define IDC_OVERWRITE_NO_TO_ALL 5103
#define IDC_OVERWRITE_YES_TO_ALL 5104
