/* An import plug-in built with the wrong calling convention: its entry
 * points leave their arguments on the stack. */
#define FIXTURE_ID "tsp_cdecl"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_CALL __cdecl
#define FIXTURE_INFO {"00IN", "Tapestrel cdecl", "*.tsc", "Tapestrel cdecl picture", NULL}
#include "fixture.h"
