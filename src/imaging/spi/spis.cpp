#include "imaging/spi/spis.h"

#include <algorithm>
#include <atomic>
#include <deque>

#include "imaging/picture_file.h"
#include "imaging/spi/spi_blocks.h"
#include "imaging/spi/spi_text.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::imaging {
namespace {

std::atomic<TSPIs*> g_instance{nullptr};

std::string LoadErrorText(const SpiHostPort& host, const std::string& path) {
  return host.AnsiToUtf8(path) + ":Susie Pluginがロードできませんでした";
}

}  // namespace

// --- TSPIsItem and its classes --------------------------------------------------

void TSPIsItem::Load(SpiHostPort& host, const std::string& path) {
  host_ = &host;
  library_ = host.OpenLibrary(path);
  if (!library_) throw ESPIFOpenErrorSPI(LoadErrorText(host, path));
  fileName_ = library_->ModuleFileName();
  CheckAPI();
  std::string text = library_->GetPluginInfo(0);
  if (!text.empty()) version_ = text;
  text = library_->GetPluginInfo(1);
  if (!text.empty()) pluginName_ = text;
  for (int k = 2; k + 1 < kMaxSpiInfoStrings; k += 2) {
    std::string mask = library_->GetPluginInfo(k);
    if (mask.empty()) break;
    std::string description = library_->GetPluginInfo(k + 1);
    if (description.empty()) break;
    masks_.push_back(std::move(mask));
    descriptions_.push_back(std::move(description));
  }
}

void TSPIsItem::RequireEntry(SpiEntry entry) const {
  if (!library_->HasEntry(entry)) {
    throw ESPIInvalidAPI(std::string(SpiEntryName(entry)) + "は[" + host_->AnsiToUtf8(fileName_) +
                         "]では使えないSusie Plugin APIです");
  }
}

void TSPIsItem::CheckAPI() const { RequireEntry(SpiEntry::GetPluginInfo); }

void TLoaderSPI::CheckAPI() const {
  TSPIsItem::CheckAPI();
  RequireEntry(SpiEntry::IsSupported);
}

void TInSPI::CheckAPI() const {
  TLoaderSPI::CheckAPI();
  RequireEntry(SpiEntry::GetPictureInfo);
  RequireEntry(SpiEntry::GetPicture);
}

void TAmSPI::CheckAPI() const {
  TLoaderSPI::CheckAPI();
  RequireEntry(SpiEntry::GetArchiveInfo);
  RequireEntry(SpiEntry::GetFileInfo);
  RequireEntry(SpiEntry::GetFile);
}

std::unique_ptr<TSPIsItem> LoadSPI(SpiHostPort& host, const std::string& path) {
  try {
    TSPIsItem probe;
    probe.Load(host, path);
    std::unique_ptr<TSPIsItem> spi;
    if (probe.Version() == "00IN") {
      spi = std::make_unique<TInSPI>();
    } else if (probe.Version() == "00AM") {
      spi = std::make_unique<TAmSPI>();
    } else if (probe.Version() == "00XN") {
      spi = std::make_unique<TXnSPI>();
    } else {
      spi = std::make_unique<TSPIsItem>();
    }
    spi->Load(host, path);
    // A plug-in that names another version the second time would sit in the
    // wrong class.
    if (spi->Version() != probe.Version()) throw ESPIInvalidSPI(LoadErrorText(host, path));
    return spi;  // the probe releases its reference to the library here
  } catch (const ESPIError&) {
    return nullptr;
  }
}

// --- TSPIs -----------------------------------------------------------------

TSPIs::TSPIs(SpiHostPort& host, PictureFormatRegistry& registry) : host_(host), registry_(registry) {
  TSPIs* expected = nullptr;
  if (!g_instance.compare_exchange_strong(expected, this)) throw ESPIError("TSPIs は複数生成できません");
}

TSPIs::~TSPIs() {
  // Plug-ins go in reverse order of loading.
  while (!items_.empty()) items_.pop_back();
  g_instance = nullptr;
}

TSPIs* TSPIs::Instance() { return g_instance; }

void TSPIs::Search(const std::string& mask) {
  const std::string folder = platform::ExtractFilePath(mask);
  if (!folder.empty()) {
    SearchFolder(folder, platform::ExtractFileName(mask));
    return;
  }
  if (SearchOptions & spsAppDir) SearchFolder(host_.ExecutableFolder(), mask);
  if ((SearchOptions & spsUserDir) && !UserDir.empty() && host_.DirectoryExists(UserDir)) {
    SearchFolder(UserDir, mask);
  }
  if (SearchOptions & spsSystemDir) SearchFolder(host_.SystemFolder(), mask);
  if (SearchOptions & spsWindowsDir) SearchFolder(host_.WindowsFolder(), mask);
}

void TSPIs::SearchFolder(const std::string& folder, const std::string& pattern) {
  if (folder.empty()) return;  // an unknown system folder, not the current drive's root
  const std::string base = platform::IncludeTrailingBackslash(folder);
  std::vector<std::string> paths;
  for (const platform::FolderEntry& entry : host_.FindFiles(base + pattern)) {
    if (entry.isDirectory || entry.isHidden) continue;
    const std::string path = base + entry.name;
    const bool loaded = std::any_of(items_.begin(), items_.end(), [&](const std::unique_ptr<TSPIsItem>& spi) {
      return platform::AnsiEqualsIgnoreAsciiCase(spi->FileName(), path);
    });
    if (!loaded) paths.push_back(path);
  }
  for (const std::string& path : paths) {
    // Whatever a plug-in throws while it is loaded or registered, not only
    // our plug-in errors (memory, a fault turned into an exception, ...),
    // drops that plug-in alone; start-up goes on with the next file.
    try {
      AddPlugin(path);
    } catch (...) {
    }
  }
}

void TSPIs::AddPlugin(const std::string& path) {
  bool accept = true;
  if (OnSearching) OnSearching(*this, path, accept);
  if (!accept) return;
  std::unique_ptr<TSPIsItem> spi = LoadSPI(host_, path);
  if (!spi) return;
  if (OnSearch) OnSearch(*this, *spi, accept);
  if (!accept) return;
  std::vector<PictureFormat> formats;
  if (dynamic_cast<TInSPI*>(spi.get())) formats = ExtensionsToRegister(*spi);
  // Room first, so that once its extensions are registered the plug-in is
  // kept without anything left to fail.
  if (items_.size() == items_.capacity()) items_.reserve(2 * items_.size() + 4);
  registry_.RegisterAll(formats);
  items_.push_back(std::move(spi));
}

std::vector<PictureFormat> TSPIs::ExtensionsToRegister(TSPIsItem& spi) {
  std::vector<PictureFormat> formats;
  for (size_t i = 0; i < spi.Masks().size(); ++i) {
    const std::string description = host_.AnsiToUtf8(spi.Descriptions()[i]);
    for (const std::string& extension : MaskExtensionsRightToLeft(spi.Masks()[i])) {
      bool registerIt = true;
      if (OnPictureRegister) OnPictureRegister(*this, spi, extension, spi.Descriptions()[i], registerIt);
      // Extensions stay in the ANSI code page: they are matched against file names.
      if (registerIt) formats.push_back({extension, description});
    }
  }
  return formats;
}

// --- Decoding --------------------------------------------------------------

void TSPIGraphic::LoadFromFile(const std::string& fileName) {
  // Plug-ins whose mask names the extension go first, the later-loaded ahead.
  const std::string ext = platform::ExtractFileExt(fileName);
  std::deque<TSPIsItem*> candidates;
  for (int i = 0; i < spis_.Count(); ++i) {
    TSPIsItem& spi = spis_.Items(i);
    if (!dynamic_cast<TInSPI*>(&spi)) continue;
    const bool promoted =
        !ext.empty() && std::any_of(spi.Masks().begin(), spi.Masks().end(), [&](auto& mask) {
          return platform::AnsiEqualsIgnoreAsciiCase(MaskPromotionExtension(mask), ext);
        });
    if (promoted) {
      candidates.push_front(&spi);
    } else {
      candidates.push_back(&spi);
    }
  }

  const SpiHeaderBuffer header = ReadSpiHeaderBuffer(spis_.Host(), fileName);
  std::vector<int32_t> offsets{0};
  if (spis_.MacBinary) offsets.push_back(kMacBinaryOffset);

  const SpiProgressCallback progress = [this](int numerator, int denominator) {
    return OnProgress && OnProgress(SpiProgressPercent(numerator, denominator)) ? 1 : 0;
  };
  for (TSPIsItem* spi : candidates) {
    SpiLibrary& library = spi->Library();
    for (const int32_t offset : offsets) {
      if (library.IsSupported(fileName, header.data() + offset) == 0) continue;
      pictureInfoValid_ = library.GetPictureInfo(fileName, offset) == 0;
      SpiPictureResult result;
      if (spis_.GraphicPreview && library.HasEntry(SpiEntry::GetPreview)) {
        result = library.GetPicture(fileName, offset, true, &progress);
        if (result.code != 0) result.blocks.reset();
      }
      if (!result.blocks) {
        result = library.GetPicture(fileName, offset, false, &progress);
        if (result.code != 0) result.blocks.reset();
      }
      if (!result.blocks) continue;
      // Blocks that do not hold what their header claims count as a failure
      // of this plug-in, and the next one is tried.
      try {
        picture_ = SpiBlocksToBitmap(result.blocks->Info(), result.blocks->Pixels());
        return;
      } catch (const ImageError&) {
      }
    }
  }
  throw ESPIDecodeError();
}

void TSPIBitmap::LoadFromFile(const std::string& fileName) {
  auto builtin = [&] {
    if (!builtin_) return false;
    try {
      picture_ = builtin_(fileName);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  auto plugins = [&] {
    if (!spis_) return false;
    try {
      TSPIGraphic graphic(*spis_);
      graphic.OnProgress = OnProgress;
      graphic.LoadFromFile(fileName);
      picture_ = std::move(graphic.Picture());
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  const bool isBmp = LowerCaseExtension(fileName) == ".bmp";
  const bool loaded = isBmp ? (builtin() || plugins()) : (plugins() || builtin());
  if (!loaded) throw ESPIDecodeError();
}

}  // namespace tapestrel::imaging
