/* Test plug-ins for the picture plug-in host: libraries exporting the
 * plug-in entry points (32-bit ".spi" or their 64-bit counterparts ".sph",
 * whose offsets and user data are pointer-sized), built from this file by
 * each folder here with a few settings. They read "TSPX", a picture format of our own:
 *
 *   0  magic, 4 bytes (FIXTURE_MAGIC)
 *   4  width, height: 16 bits each
 *   8  bits per pixel (1, 4, 8, 16, 24, 32)
 *   9  flags: 1 = hand the rows back top-down (negative height)
 *  10  mode: misbehaviour of the hostile plug-in (0 = none)
 *  12  colors in the table: 16 bits
 *  16  the color table (4 bytes each), then the rows, top row first,
 *      each padded to 4 bytes
 *
 * When the environment variable TAPESTREL_SPI_LOG names a file, every call
 * appends a line "<plug-in> <entry point> <offset>" to it.
 *
 * Settings (define before including):
 *   FIXTURE_ID         name in the log
 *   FIXTURE_INFO       the GetPluginInfo strings, NULL-terminated
 *   FIXTURE_MAGIC      the four bytes IsSupported looks for
 *   FIXTURE_CALL       calling convention of the exports (default __stdcall)
 *   FIXTURE_NO_IS_SUPPORTED, FIXTURE_NO_PICTURE: leave those out (the
 *                      including file may define its own around Decode)
 *   FIXTURE_CUSTOM_INFO: the including file defines GetPluginInfo
 *   FIXTURE_HOSTILE    GetPicture misbehaves as the file's mode asks
 */
#include <windows.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#ifndef FIXTURE_CALL
#define FIXTURE_CALL __stdcall
#endif
#define EXPORT __declspec(dllexport)

#ifdef FIXTURE_HOSTILE
static volatile int* volatile kNowhere = (volatile int*)8;
/* Set by IsSupported for a picture of mode 21: the next GetPicture returns
 * with the registers its caller expects kept overwritten. */
volatile LONG g_spoilKeptRegisters;
/* Mode 22 sets the event "TapestrelSpiInside" and then waits for the event
 * "TapestrelSpiGate" (5 s at most, counted in HostileGateTimedOut) without
 * calling back; mode 23 sets the event "TapestrelSpiSlow" and lingers 2 ms a
 * row, aborting (counted in HostileAborted) when the progress callback asks. */
static volatile LONG g_gateTimedOut, g_aborted;
EXPORT LONG FIXTURE_CALL HostileGateTimedOut(void) { return g_gateTimedOut; }
EXPORT LONG FIXTURE_CALL HostileAborted(void) { return g_aborted; }
static void SignalEvent(const char* name) {
  HANDLE e = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (e) SetEvent(e), CloseHandle(e);
}
static void AwaitGate(void) {
  HANDLE gate = OpenEventA(SYNCHRONIZE, FALSE, "TapestrelSpiGate");
  SignalEvent("TapestrelSpiInside");
  if (gate && WaitForSingleObject(gate, 5000) == WAIT_TIMEOUT) InterlockedIncrement(&g_gateTimedOut);
  if (gate) CloseHandle(gate);
}
#endif

typedef int(__stdcall* ProgressCallback)(int numerator, int denominator, LONG_PTR data);

#pragma pack(push, 1)
typedef struct {
  LONG left, top, width, height;
  WORD xDensity, yDensity;
  SHORT colorDepth;
  HLOCAL text;
} PictureInfo;
#pragma pack(pop)


__attribute__((unused)) static void Log(const char* call, LONG_PTR offset) {
  char path[MAX_PATH], line[128];
  DWORD n = GetEnvironmentVariableA("TAPESTREL_SPI_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  if (f == INVALID_HANDLE_VALUE) return;
  int len = snprintf(line, sizeof line, "%s %s %ld\r\n", FIXTURE_ID, call, (long)offset);
  DWORD written;
  WriteFile(f, line, (DWORD)len, &written, NULL);
  CloseHandle(f);
}

__attribute__((unused)) static unsigned Get16(const unsigned char* p) { return p[0] | p[1] << 8; }

#ifndef FIXTURE_CUSTOM_INFO
static const char* const kInfo[] = FIXTURE_INFO;

EXPORT int FIXTURE_CALL GetPluginInfo(int index, LPSTR buffer, int length) {
  int count = 0;
  while (kInfo[count]) ++count;
  if (index < 0 || index >= count || length <= 0) return 0;
  lstrcpynA(buffer, kInfo[index], length);
  return lstrlenA(buffer);
}
#endif

#ifndef FIXTURE_NO_IS_SUPPORTED
EXPORT int FIXTURE_CALL IsSupported(LPCSTR fileName, void* header) {
  const unsigned char* h = (const unsigned char*)header;
  Log("IsSupported", 0);
#ifdef FIXTURE_HOSTILE
  if (memcmp(h, FIXTURE_MAGIC, 4) == 0 && h[10] == 40) *kNowhere = 1;  /* mode 40: fault here */
  g_spoilKeptRegisters = memcmp(h, FIXTURE_MAGIC, 4) == 0 && h[10] == 21;
#endif
  (void)fileName;
  return memcmp(h, FIXTURE_MAGIC, 4) == 0;
}
#endif

/* The whole file from `offset` on; NULL when it is no picture of ours. */
__attribute__((unused)) static unsigned char* ReadPicture(LPCSTR fileName, LONG_PTR offset, DWORD* size) {
  HANDLE f = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return NULL;
  DWORD total = GetFileSize(f, NULL);
  unsigned char* data = NULL;
  if (total != INVALID_FILE_SIZE && total >= (DWORD)offset + 16 &&
      SetFilePointer(f, (LONG)offset, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
    *size = total - (DWORD)offset;
    data = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, *size);
    DWORD got = 0;
    if (data && (!ReadFile(f, data, *size, &got, NULL) || got != *size || memcmp(data, FIXTURE_MAGIC, 4) != 0)) {
      HeapFree(GetProcessHeap(), 0, data);
      data = NULL;
    }
  }
  CloseHandle(f);
  return data;
}

#ifndef FIXTURE_NO_PICTURE
EXPORT int FIXTURE_CALL GetPictureInfo(LPCSTR fileName, LONG_PTR offset, unsigned flag, PictureInfo* info) {
  DWORD size;
  Log("GetPictureInfo", offset);
  if (flag & 7) return -1;
  unsigned char* p = ReadPicture(fileName, offset, &size);
  if (!p) return 2;
  memset(info, 0, sizeof *info);
  info->width = (LONG)Get16(p + 4);
  info->height = (LONG)Get16(p + 6);
  info->colorDepth = p[8];
  /* A comment the host has to free. */
  info->text = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 4096);
  HeapFree(GetProcessHeap(), 0, p);
  return 0;
}
#endif

/* Decodes the picture into the two blocks GetPicture hands back. */
__attribute__((unused)) static int Decode(LPCSTR fileName, LONG_PTR offset, unsigned flag, HLOCAL* infoOut,
                                          HLOCAL* pixelsOut, ProgressCallback progress, LONG_PTR data,
                                          const char* entry) {
  DWORD size;
  Log(entry, offset);
  if (flag & 7) return -1;
  unsigned char* p = ReadPicture(fileName, offset, &size);
  if (!p) return 2;
  int width = (int)Get16(p + 4), height = (int)Get16(p + 6), bits = p[8], topDown = p[9] & 1, mode = p[10];
  unsigned colors = Get16(p + 12);
  DWORD stride = (DWORD)((width * bits + 31) / 32 * 4);
  DWORD imageSize = stride * (DWORD)height;
  if (size < 16 + 4 * colors + imageSize) {
    HeapFree(GetProcessHeap(), 0, p);
    return 3;
  }
  (void)mode;

  DWORD infoSize = 40 + 4 * colors;
#ifdef FIXTURE_HOSTILE
  if (mode == 2 && infoSize > 40 + 16) infoSize = 40 + 16; /* color table cut short */
  if (mode == 8) infoSize += imageSize;                /* one block for both */
#endif
  HLOCAL hInfo = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, infoSize);
  HLOCAL hPixels = LocalAlloc(LMEM_FIXED, imageSize ? imageSize : 1);
  BITMAPINFOHEADER* bih = (BITMAPINFOHEADER*)LocalLock(hInfo);
  bih->biSize = 40;
  bih->biWidth = width;
  bih->biHeight = topDown ? -height : height;
  bih->biPlanes = 1;
  bih->biBitCount = (WORD)bits;
  bih->biClrUsed = colors;
  if (infoSize >= 40 + 4 * colors) memcpy(bih + 1, p + 16, 4 * colors);
  unsigned char* dst = (unsigned char*)hPixels;
  const unsigned char* rows = p + 16 + 4 * colors;
#ifdef FIXTURE_HOSTILE
  if (mode == 22) AwaitGate();
  if (mode == 23) SignalEvent("TapestrelSpiSlow");
#endif
  for (int y = 0; y < height; ++y) {
    memcpy(dst + (DWORD)(topDown ? y : height - 1 - y) * stride, rows + (DWORD)y * stride, stride);
    const int abort = progress && progress(y, height, data);
#ifdef FIXTURE_HOSTILE
    if (mode == 23) Sleep(2);
    if (mode == 23 && abort) InterlockedIncrement(&g_aborted);
#endif
    if (abort) {
      LocalUnlock(hInfo);
      LocalFree(hInfo);
      LocalFree(hPixels);
      HeapFree(GetProcessHeap(), 0, p);
      return 1;
    }
  }
  int result = 0;
#ifdef FIXTURE_HOSTILE
  switch (mode) {
    case 1: { /* header block shorter than a header */
      HLOCAL small = LocalAlloc(LMEM_FIXED, 20);
      memcpy(small, bih, 20);
      LocalUnlock(hInfo);
      LocalFree(hInfo);
      hInfo = small;
      break;
    }
    case 3: LocalFree(hPixels); hPixels = LocalAlloc(LMEM_FIXED, imageSize / 2); break; /* pixels cut short */
    case 4: bih->biWidth = INT_MAX; break;
    case 5: bih->biWidth = -width; break;
    case 6: bih->biHeight = 0; break;
    case 7: bih->biHeight = INT_MIN; break;
    case 8: /* the pixels right behind the header, one handle twice */
      bih->biHeight = -height;
      memcpy((unsigned char*)bih + 40 + 4 * colors, dst, imageSize);
      LocalFree(hPixels);
      hPixels = hInfo;
      break;
    case 9: LocalFree(hPixels); hPixels = NULL; break; /* success without pixels */
    case 10: result = 3; break;                        /* failure, yet both handles */
    case 11: *kNowhere = 1; break;                     /* access violation */
    case 12: bih->biClrUsed = 0xFFFFFFFFu; break;
    case 13: bih->biBitCount = 7; break;
    case 14: bih->biCompression = BI_RLE8; break;
    case 15: if (progress) progress(5, 0, (LONG_PTR)0x1234); break; /* nonsense progress */
    case 16: { volatile int zero = 0; result = 10 / zero; } break;   /* division by zero */
    case 17: RaiseException(0x0EEDFADE, EXCEPTION_NONCONTINUABLE, 0, NULL); break; /* a language exception */
    case 18: bih->biHeight = 65535; bih->biWidth = 65535; bih->biBitCount = 32; break; /* absurd, block small */
    case 20: bih->biHeight = 16000; bih->biWidth = 16000; bih->biBitCount = 32; break; /* 1 GB claimed, block small */
    case 19: { /* leaves floating-point exceptions unmasked, as some compilers' libraries do */
      unsigned short cw = 0x1332;
      unsigned mxcsr = 0x1900;
      __asm__ volatile("fldcw %0" : : "m"(cw));
      __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
      break;
    }
  }
#endif
  LocalUnlock(hInfo);
  *infoOut = hInfo;
  *pixelsOut = hPixels;
  HeapFree(GetProcessHeap(), 0, p);
  return result;
}

#ifndef FIXTURE_NO_PICTURE
#ifndef FIXTURE_HOSTILE
EXPORT int FIXTURE_CALL GetPicture(LPCSTR fileName, LONG_PTR offset, unsigned flag, HLOCAL* info, HLOCAL* pixels,
                                   ProgressCallback progress, LONG_PTR data) {
  return Decode(fileName, offset, flag, info, pixels, progress, data, "GetPicture");
}
#else
__attribute__((used, noinline)) int FIXTURE_CALL GetPictureBody(LPCSTR fileName, LONG_PTR offset, unsigned flag,
                                                                HLOCAL* info, HLOCAL* pixels,
                                                                ProgressCallback progress, LONG_PTR data) {
  return Decode(fileName, offset, flag, info, pixels, progress, data, "GetPicture");
}

/* Breaks the calling convention on request: overwrites every register the
 * caller expects kept (all but the frame pointer) and jumps to the body,
 * which saves and restores the spoilt values, so they reach the caller. The
 * arguments, in registers or on the stack, pass through untouched. */
#if defined(__x86_64__)
EXPORT __attribute__((naked)) int GetPicture(LPCSTR fileName, LONG_PTR offset, unsigned flag, HLOCAL* info,
                                             HLOCAL* pixels, ProgressCallback progress, LONG_PTR data) {
  __asm__(
      "cmpl $0, g_spoilKeptRegisters(%rip)\n"
      "jz 1f\n"
      "movabsq $0x5A5A5A5A5A5A5A5A, %rax\n"
      "movq %rax, %rbx\n movq %rax, %rsi\n movq %rax, %rdi\n"
      "movq %rax, %r12\n movq %rax, %r13\n movq %rax, %r14\n movq %rax, %r15\n"
      "movq %rax, %xmm6\n movq %rax, %xmm7\n movq %rax, %xmm8\n movq %rax, %xmm9\n movq %rax, %xmm10\n"
      "movq %rax, %xmm11\n movq %rax, %xmm12\n movq %rax, %xmm13\n movq %rax, %xmm14\n movq %rax, %xmm15\n"
      "1: jmp GetPictureBody\n");
}
#else
EXPORT __attribute__((naked)) int __stdcall GetPicture(LPCSTR fileName, LONG_PTR offset, unsigned flag,
                                                       HLOCAL* info, HLOCAL* pixels, ProgressCallback progress,
                                                       LONG_PTR data) {
  __asm__(
      "cmpl $0, _g_spoilKeptRegisters\n"
      "jz 1f\n"
      "movl $0x5A5A5A5A, %ebx\n movl %ebx, %esi\n movl %ebx, %edi\n"
      "1: jmp _GetPictureBody@28\n");
}
#endif
#endif

EXPORT int FIXTURE_CALL GetPreview(LPCSTR fileName, LONG_PTR offset, unsigned flag, HLOCAL* info, HLOCAL* pixels,
                                   ProgressCallback progress, LONG_PTR data) {
  (void)fileName, (void)flag, (void)info, (void)pixels, (void)progress, (void)data;
  Log("GetPreview", offset);
  return -1;  /* no preview of its own */
}
#endif
