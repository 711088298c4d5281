/* Another import plug-in reading the same pictures, claiming another extension. */
#define FIXTURE_ID "tsp_alt"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_INFO {"00IN", "Tapestrel alternative", "*.tsq", "Tapestrel alternative picture", NULL}
#include "fixture.h"
