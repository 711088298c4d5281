// Resource identifiers of the thumbnail browser (2000-2999).
#pragma once

#define IDS_BROWSER_COLUMN_NAME 2000
#define IDS_BROWSER_COLUMN_SIZE 2001
#define IDS_BROWSER_COLUMN_TYPE 2002
#define IDS_BROWSER_COLUMN_DATE 2003
