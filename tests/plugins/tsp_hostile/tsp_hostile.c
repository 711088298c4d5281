/* An import plug-in that misbehaves as the picture's mode byte asks: blocks
 * smaller than their headers claim, absurd sizes, handles given twice or
 * not at all, faults and escaping exceptions. */
#define FIXTURE_ID "tsp_hostile"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_HOSTILE
#define FIXTURE_INFO {"00IN", "Tapestrel hostile", "*.bad", "Hostile picture", NULL}
#include "fixture.h"
