/* Reads pictures marked "TSPM", which only ever sit behind a 128-byte
 * MacBinary header: it accepts a file at offset 128 only. */
#define FIXTURE_ID "tsp_macbin"
#define FIXTURE_MAGIC "TSPM"
#define FIXTURE_INFO {"00IN", "Tapestrel MacBinary", "*.tsm", "Tapestrel wrapped picture", NULL}
#include "fixture.h"
