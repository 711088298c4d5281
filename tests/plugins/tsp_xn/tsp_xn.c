/* A plug-in of version "00XN": information only. */
#define FIXTURE_ID "tsp_xn"
#define FIXTURE_MAGIC "TSPN"
#define FIXTURE_NO_IS_SUPPORTED
#define FIXTURE_NO_PICTURE
#define FIXTURE_INFO {"00XN", "Tapestrel extension", "*.tsx", "Tapestrel extension", NULL}
#include "fixture.h"
