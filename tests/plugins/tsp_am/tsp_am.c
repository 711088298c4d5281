/* An archive plug-in ("00AM"): never asked to decode. */
#define FIXTURE_ID "tsp_am"
#define FIXTURE_MAGIC "TSPA"
#define FIXTURE_NO_PICTURE
#define FIXTURE_INFO {"00AM", "Tapestrel archive", "*.tsa", "Tapestrel archive", NULL}
#include "fixture.h"

EXPORT int __stdcall GetArchiveInfo(LPCSTR buffer, long length, unsigned flag, HLOCAL* info) {
  (void)buffer, (void)length, (void)flag, (void)info;
  return -1;
}
EXPORT int __stdcall GetFileInfo(LPCSTR buffer, long length, LPCSTR name, unsigned flag, void* info) {
  (void)buffer, (void)length, (void)name, (void)flag, (void)info;
  return -1;
}
EXPORT int __stdcall GetFile(LPCSTR source, long length, LPSTR dest, unsigned flag, FARPROC progress, long data) {
  (void)source, (void)length, (void)dest, (void)flag, (void)progress, (void)data;
  return -1;
}
