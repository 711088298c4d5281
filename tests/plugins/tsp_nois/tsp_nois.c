/* An import plug-in without "IsSupported". */
#define FIXTURE_ID "tsp_nois"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_NO_IS_SUPPORTED
#define FIXTURE_INFO {"00IN", "Tapestrel incomplete", "*.tsn", "Tapestrel incomplete", NULL}
#include "fixture.h"
