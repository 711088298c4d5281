/* An import plug-in that watches how it is called. It counts the threads
 * inside it at once and tells the most it saw (ProbeMostInside); every entry
 * lingers a moment, so that two callers that can overlap do. Like plug-ins
 * built on the system's imaging components, it decodes only on a thread that
 * has COM: their factory is a COM object. */
#define FIXTURE_ID "tsp_probe"
#define FIXTURE_MAGIC "TSPX"
#define FIXTURE_INFO {"00IN", "Tapestrel probe plug-in", "*.tsp", "Tapestrel sample picture", NULL}
#define FIXTURE_NO_IS_SUPPORTED
#define FIXTURE_NO_PICTURE
#include "fixture.h"

#include <objbase.h>

static volatile LONG g_inside, g_mostInside;

static void Enter(void) {
  const LONG now = InterlockedIncrement(&g_inside);
  LONG most;
  while (now > (most = g_mostInside) && InterlockedCompareExchange(&g_mostInside, now, most) != most) {
  }
  for (int i = 0; i < 20 && g_inside < 2; ++i) Sleep(1);
}

static void Leave(void) { InterlockedDecrement(&g_inside); }

EXPORT LONG FIXTURE_CALL ProbeMostInside(void) { return g_mostInside; }

/* Whether the imaging components' factory can be made on this thread. */
static int ComReady(void) {
  typedef HRESULT(WINAPI * CreateInstance)(const GUID*, IUnknown*, DWORD, const GUID*, void**);
  static const GUID kImagingFactory = {
      0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
  static const GUID kUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  static CreateInstance create;
  if (!create) create = (CreateInstance)(void*)GetProcAddress(LoadLibraryA("ole32.dll"), "CoCreateInstance");
  IUnknown* factory = NULL;
  if (!create || FAILED(create(&kImagingFactory, NULL, CLSCTX_INPROC_SERVER, &kUnknown, (void**)&factory)))
    return 0;
  factory->lpVtbl->Release(factory);
  return 1;
}

EXPORT int FIXTURE_CALL IsSupported(LPCSTR fileName, void* header) {
  (void)fileName;
  Enter();
  const int supported = memcmp(header, FIXTURE_MAGIC, 4) == 0;
  Leave();
  return supported;
}

/* No information: the host decodes all the same. */
EXPORT int FIXTURE_CALL GetPictureInfo(LPCSTR fileName, LONG_PTR offset, unsigned flag, PictureInfo* info) {
  (void)fileName, (void)offset, (void)flag, (void)info;
  Enter();
  Leave();
  return 2;
}

EXPORT int FIXTURE_CALL GetPicture(LPCSTR fileName, LONG_PTR offset, unsigned flag, HLOCAL* info,
                                   HLOCAL* pixels, ProgressCallback progress, LONG_PTR data) {
  Enter();
  const int result =
      ComReady() ? Decode(fileName, offset, flag, info, pixels, progress, data, "GetPicture") : 2;
  Leave();
  return result;
}
