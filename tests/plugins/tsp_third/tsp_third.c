/* A third import plug-in claiming the sample extension. */
#define FIXTURE_ID "tsp_third"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_INFO {"00IN", "Tapestrel third", "*.tsp", "Tapestrel sample picture", NULL}
#include "fixture.h"
