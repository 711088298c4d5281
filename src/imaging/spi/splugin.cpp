#include "imaging/spi/splugin.h"

#include "imaging/spi/spi_blocks.h"
#include "imaging/spi/spi_text.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::imaging {

TSPluginItem::TSPluginItem(SpiHostPort& host, const std::string& path)
    : host_(host), path_(path), fileName_(platform::ExtractFileName(path)) {
  const std::string errorText = host.AnsiToUtf8(path) + ":Susie Pluginがロードできませんでした";
  library_ = host.OpenLibrary(path);
  if (!library_) throw ESPIOpenError(errorText);
  version_ = library_->GetPluginInfo(0);
  if (version_.empty()) throw ESPILoadError(errorText, kSpiNoVersion);
  pluginName_ = library_->GetPluginInfo(1);
  if (pluginName_.empty()) throw ESPILoadError(errorText, kSpiNoName);
  for (int k = 2; k < kMaxSpiInfoStrings; k += 2) {
    std::string mask = library_->GetPluginInfo(k);
    if (mask.empty()) break;
    masks_.push_back(std::move(mask));
  }
  if (masks_.empty()) throw ESPILoadError(errorText, kSpiNoMask);
  maskText_ = BuildMaskText(masks_);
}

bool TSPluginItem::Supports(const std::string& fileName) {
  if (!MaskTextMayAccept(maskText_, fileName)) return false;
  const SpiHeaderBuffer header = ReadSpiHeaderBuffer(host_, fileName);
  return library_->IsSupported(fileName, header.data()) != 0;
}

int TSPluginItem::Decode(const std::string& fileName, Bitmap& bitmap, const StopRequest& stop) {
  // Any answer but 0 tells the plug-in to abort.
  const SpiProgressCallback progress = [&stop](int, int) { return stop.Requested() ? 1 : 0; };
  const bool preview = Preview;
  SpiPictureResult result;
  if (preview) result = library_->GetPicture(fileName, 0, true, &progress);
  stop.ThrowIfRequested();
  if (!preview || result.code != 0) result = library_->GetPicture(fileName, 0, false, &progress);
  stop.ThrowIfRequested();
  if (result.code != 0) return result.code;
  if (!result.blocks) return kSpiBadPicture;
  try {
    bitmap = SpiBlocksToBitmap(result.blocks->Info(), result.blocks->Pixels());
  } catch (const ImageError&) {
    return kSpiBadPicture;
  }
  return kSpiSuccess;
}

int TSPlugin::LoadFolder(const std::string& folder) {
  if (folder.empty()) return 0;  // an unknown system folder, not the current drive's root
  const std::string base = platform::IncludeTrailingBackslash(folder);
  const std::string extension = host_.PluginExtension();
  int tried = 0;
  for (const platform::FolderEntry& entry : host_.FindFiles(base + "*" + extension)) {
    if (entry.name.empty() || entry.name[0] == '.') continue;
    if (platform::AnsiLowerAscii(entry.name).find(extension) == std::string::npos) continue;
    AddPlugin(base + entry.name);
    ++tried;
  }
  return tried;
}

int TSPlugin::AddPlugin(const std::string& path) {
  const std::string name = platform::ExtractFileName(path);
  for (const auto& spi : items_) {
    if (platform::AnsiEqualsIgnoreAsciiCase(spi->FileName(), name)) return kSpiAlreadyLoaded;
  }
  try {
    auto spi = std::make_unique<TSPluginItem>(host_, path);
    if (spi->Version() != "00IN") return 0;
    items_.push_back(std::move(spi));
    return Count() - 1;
  } catch (...) {
    // Whatever the plug-in threw, it is not kept.
    return 0;
  }
}

int TSPlugin::FindPlugin(const std::string& fileName) {
  int found = -1;
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<size_t>(i)]->Supports(fileName)) found = i;
  }
  return found;
}

int TSPlugin::LoadPicture(const std::string& fileName, Bitmap& bitmap, const StopRequest& stop) {
  int result = kSpiNotSupported;
  for (const auto& spi : items_) {
    stop.ThrowIfRequested();
    if (!spi->Supports(fileName)) continue;
    spi->Preview = Preview;
    result = spi->Decode(fileName, bitmap, stop);
    if (result == kSpiSuccess) break;
  }
  return result;
}

void LoadPluginsAtStartup(SpiHostPort& host, TSPlugin& splugin, TSPIs& spis) {
  const std::string exeFolder = host.ExecutableFolder();
  const std::string pluginFolder = exeFolder + kPluginFolderName;
  splugin.LoadExeFolder();
  splugin.LoadWindowsFolder();
  splugin.LoadSystemFolder();
  const bool hasPluginFolder = host.DirectoryExists(pluginFolder);
  if (hasPluginFolder) splugin.LoadFolder(pluginFolder);

  spis.UserDir = hasPluginFolder ? pluginFolder : exeFolder;
  spis.OnSearch = [](TSPIs&, TSPIsItem&, bool& accept) { accept = true; };
  spis.Search("*" + host.PluginExtension());
}

}  // namespace tapestrel::imaging
