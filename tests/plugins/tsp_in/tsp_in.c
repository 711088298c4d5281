/* A well-behaved import plug-in with several masks; its second description
 * is Japanese in Shift-JIS, as plug-in texts are. */
#define FIXTURE_ID "tsp_in"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_INFO {"00IN", "Tapestrel sample plug-in", "*.tsp", "Tapestrel sample picture", \
                      "*.ts1;*.ts2;*.ts3", "\x83\x65\x83\x58\x83\x67\x89\xE6\x91\x9C", NULL}
#include "fixture.h"
