// A plug-in that misbehaves in every way the host can meet: each one must
// end in a clean failure (or a usable picture), with every block it handed
// back freed, the heap intact and the process alive.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cfloat>
#include <cmath>
#include <functional>

#include "imaging/win32/plugin_host.h"
#include "imaging/win32/spi_call.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"
#include "win_support/test_plugins.h"

namespace platform = tapestrel::platform;
namespace tt = tapestrel::testing;
using namespace tapestrel::imaging;
using tt::PluginLog;
using tt::PluginStage;
using tt::Tspx;
using Strings = std::vector<std::string>;

namespace {

enum Mode : uint8_t {
  kShortHeader = 1,
  kShortPalette = 2,
  kShortPixels = 3,
  kHugeWidth = 4,
  kNegativeWidth = 5,
  kZeroHeight = 6,
  kMinHeight = 7,
  kOneHandleTwice = 8,
  kNoPixels = 9,
  kErrorWithHandles = 10,
  kAccessViolation = 11,
  kAbsurdColors = 12,
  kOddDepth = 13,
  kCompressed = 14,
  kNonsenseProgress = 15,
  kDivideByZero = 16,
  kForeignException = 17,
  kAbsurdSize = 18,
  kChangesFloatState = 19,
  kSpoilsKeptRegisters = 21,
  kFaultInIsSupported = 40,
};

class HostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage.Put("tsp_hostile");
    plugins = std::make_unique<PluginHost>(stage.AppFolder(), registry);
    plugins->LoadAtStartup();
    ASSERT_EQ(plugins->Plugins().Count(), 1);
    ASSERT_EQ(plugins->SPlugin().Count(), 1);
  }
  void TearDown() override { EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr)); }

  // An 8-bit picture with a full color table, misbehaving as `mode` says.
  std::string Picture(uint8_t mode, int width = 16, int height = 8) {
    Tspx t;
    t.width = width;
    t.height = height;
    t.bits = 8;
    t.palette = tt::GreyPalette(256);
    t.mode = mode;
    return stage.Picture("p" + std::to_string(mode) + ".bad", t.Bytes());
  }
  bool CollectionDecodes(const std::string& file) {
    try {
      TSPIBitmap(nullptr).LoadFromFile(file);
      return true;
    } catch (const ESPIDecodeError& e) {
      EXPECT_STREQ(e.what(), "Susie Plugins could not decode");
      return false;
    }
  }

  PluginStage stage;
  PictureFormatRegistry registry;
  std::unique_ptr<PluginHost> plugins;
};

// Runs `call` with more values live across it than there are registers the
// callee must keep (integer and floating-point), so the compiler keeps them
// there; true when every value came back.
__attribute__((noinline)) bool KeptRegistersSurvive(const std::function<void()>& call) {
  volatile uint64_t n = 0x0123456789ABCDEF;
  volatile double d = 1.25;
  const uint64_t a = n + 1, b = n * 3, c = n ^ 5, e = n - 7, f = n * 11, g = n + 13, h = n ^ 17, i = n * 19;
  const double p = d + 1, q = d * 3, r = d - 5, s = d * 7, t = d + 9, u = d * 11, v = d - 13, w = d * 15,
               x = d + 17, y = d * 19;
  call();
  return a == n + 1 && b == n * 3 && c == (n ^ 5) && e == n - 7 && f == n * 11 && g == n + 13 &&
         h == (n ^ 17) && i == n * 19 && p == d + 1 && q == d * 3 && r == d - 5 && s == d * 7 && t == d + 9 &&
         u == d * 11 && v == d - 13 && w == d * 15 && x == d + 17 && y == d * 19;
}

}  // namespace

TEST_F(HostileTest, BlocksThatLieAboutTheirSizeFailCleanly) {
  for (uint8_t mode : {kShortHeader, kShortPalette, kShortPixels, kHugeWidth, kNegativeWidth, kZeroHeight,
                       kMinHeight, kNoPixels, kErrorWithHandles, kOddDepth, kCompressed, kAbsurdSize}) {
    SCOPED_TRACE(static_cast<int>(mode));
    const std::string file = Picture(mode);
    EXPECT_FALSE(CollectionDecodes(file));
    Bitmap thumb;
    const int code = plugins->SPlugin().LoadPicture(file, thumb);
    EXPECT_NE(code, kSpiSuccess);
    EXPECT_EQ(code, mode == kErrorWithHandles ? 3 : kSpiBadPicture);
    EXPECT_TRUE(thumb.Empty());
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
  }
}

TEST_F(HostileTest, OneHandleForBothBlocksIsFreedOnce) {
  const std::string file = Picture(kOneHandleTwice);
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(CollectionDecodes(file));  // in bounds, if not the intended picture
    Bitmap thumb;
    EXPECT_EQ(plugins->SPlugin().LoadPicture(file, thumb), kSpiSuccess);
    ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
  }
}

TEST_F(HostileTest, NonsenseThatStaysInBoundsStillDecodes) {
  // Progress with a zero denominator and foreign data.
  EXPECT_TRUE(CollectionDecodes(Picture(kNonsenseProgress)));
  // 2^32 - 1 colors announced: the 256 an 8-bit picture can use are there.
  EXPECT_TRUE(CollectionDecodes(Picture(kAbsurdColors)));
}

TEST_F(HostileTest, RegistersThePluginShouldHaveKeptAreRestored) {
  // Called straight, so that no frame between this test and the call heals
  // them: the entry point returns with every register the caller expects
  // kept (the frame pointer aside) overwritten; the call restores them.
  const std::string file = Picture(kSpoilsKeptRegisters);
  const HMODULE module = LoadLibraryA(tt::TestPluginPath("tsp_hostile").c_str());
  ASSERT_NE(module, nullptr);
  const auto arg = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
  const auto entry = [&](const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(module, name));
  };
  std::vector<uint8_t> header(kSpiHeaderBufferSize);
  const std::string bytes = tt::ReadFile(file);
  std::copy(bytes.begin(), bytes.begin() + 16, header.begin());
  int32_t result = 0;
  CallSpiEntry(entry("IsSupported"), {arg(file.c_str()), arg(header.data())}, result);
  ASSERT_EQ(result, 1);
  HLOCAL info = nullptr, pixels = nullptr;
  EXPECT_TRUE(KeptRegistersSurvive([&] {
    CallSpiEntry(entry("GetPicture"), {arg(file.c_str()), 0, 0, arg(&info), arg(&pixels), 0, 0}, result);
  }));
  EXPECT_EQ(result, 0);
  LocalFree(info);
  LocalFree(pixels);
  FreeLibrary(module);
}

TEST_F(HostileTest, EveryBlockIsFreedOnEveryPath) {
  // 2000 x 2000 at 8 bits: 4 MB a picture. Forty rounds of each path would
  // eat far more address space than they may if anything leaked.
  std::vector<std::string> files;
  for (uint8_t mode : {uint8_t{0}, uint8_t{kShortPalette}, uint8_t{kShortPixels}, uint8_t{kNoPixels},
                       uint8_t{kErrorWithHandles}, uint8_t{kZeroHeight}}) {
    files.push_back(Picture(mode, 2000, 2000));
  }
  for (const std::string& f : files) CollectionDecodes(f);  // warm up
  const uint64_t before = tt::FreeAddressSpaceMiB();
  for (int round = 0; round < 40; ++round) {
    for (const std::string& f : files) {
      CollectionDecodes(f);
      Bitmap thumb;
      plugins->SPlugin().LoadPicture(f, thumb);
    }
  }
  const uint64_t after = tt::FreeAddressSpaceMiB();
  EXPECT_LT(before > after ? before - after : 0, 64u) << before << " MiB free before, " << after << " after";
}

TEST_F(HostileTest, PluginThatFaultsIsAbandonedAndNeverEnteredAgain) {
  for (uint8_t mode : {kAccessViolation, kDivideByZero, kForeignException}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TearDown();
    plugins.reset();
    SetUp();
    PluginLog log;
    const std::string bad = Picture(mode);
    const std::string good = Picture(0);
    EXPECT_TRUE(CollectionDecodes(good));
    EXPECT_FALSE(CollectionDecodes(bad));
    // Abandoned: not even asked any more.
    log.Clear();
    EXPECT_FALSE(CollectionDecodes(good));
    EXPECT_TRUE(log.Lines().empty());
    // The thumbnail side has its own library object and learns on its own.
    Bitmap thumb;
    EXPECT_EQ(plugins->SPlugin().LoadPicture(good, thumb), kSpiSuccess);
    EXPECT_NE(plugins->SPlugin().LoadPicture(bad, thumb), kSpiSuccess);
    EXPECT_EQ(plugins->SPlugin().FindPlugin(good), -1);
  }
}

TEST_F(HostileTest, FaultWhileTestingTheFile) {
  PluginLog log;
  const std::string bad = Picture(kFaultInIsSupported);
  EXPECT_EQ(plugins->SPlugin().FindPlugin(bad), -1);
  EXPECT_FALSE(CollectionDecodes(bad));
  EXPECT_EQ(log.Lines("IsSupported").size(), 2u);  // once on each side, then abandoned
  EXPECT_FALSE(CollectionDecodes(Picture(0)));
}

TEST_F(HostileTest, FloatingPointStateSurvivesThePlugin) {
  const unsigned int control = _controlfp(0, 0);
  const unsigned int mxcsr = _mm_getcsr();
  EXPECT_TRUE(CollectionDecodes(Picture(kChangesFloatState)));
  EXPECT_EQ(_controlfp(0, 0), control);
  EXPECT_EQ(_mm_getcsr(), mxcsr);
  volatile double zero = 0.0;
  EXPECT_TRUE(std::isinf(1.0 / zero));  // still masked: no exception
}
