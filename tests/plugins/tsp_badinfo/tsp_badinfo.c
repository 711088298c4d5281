/* An import plug-in whose information never ends: every string claims far
 * more characters than the buffer holds, its name fills the buffer without a
 * terminating zero, and there is always another mask. */
#define FIXTURE_ID "tsp_badinfo"
#define FIXTURE_MAGIC "TSPB"
#define FIXTURE_CUSTOM_INFO
#include "fixture.h"

EXPORT int __stdcall GetPluginInfo(int index, LPSTR buffer, int length) {
  if (length <= 0) return 0;
  if (index == 1) {
    memset(buffer, 'N', (size_t)length);
  } else {
    lstrcpynA(buffer, index == 0 ? "00IN" : index % 2 ? "Endless" : "*.inf", length);
  }
  return 100000;
}
