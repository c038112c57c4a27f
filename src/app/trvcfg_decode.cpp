// trvcfg decode: a configuration image read back into the rule data file a Get leaves.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/workbook_file.h"
#include "flash/binary_image.h"
#include "model/configuration.h"
#include "transfer/configuration_image.h"
#include "transfer/load_decoded_configuration.h"

namespace trv::cli {

namespace {

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::size_t kFormatVersionLength = 4;

std::string Extension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

std::runtime_error FileError(const std::filesystem::path& path, const std::string& text) {
  return std::runtime_error(path.string() + ": " + text);
}

// The raw image: exactly the image's size, so that nothing else is taken for one.
ConfigurationImage ReadBinaryImage(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw FileError(path, error.message());
  if (size != ConfigurationImage::kSize) {
    throw FileError(path, "not a configuration image (" + std::to_string(size) + " bytes, " +
                              std::to_string(ConfigurationImage::kSize) + " expected)");
  }
  ConfigurationImage image;
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(image.Data().data()),
          static_cast<std::streamsize>(image.Data().size()));
  if (!in) throw FileError(path, "could not be read");
  return image;
}

// Intel HEX of the image at its controller address; cells the file leaves empty read as erased.
ConfigurationImage ReadHexImage(const std::filesystem::path& path) {
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  cells.LoadFromHexFile(path.string());
  ConfigurationImage image;
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    image.SetByte(offset, cells.OutByte(ConfigurationImage::ImageBase + offset));
  }
  return image;
}

// As the progress dialog tests a read-back image before it is decoded.
bool HoldsConfiguration(const ConfigurationImage& image) {
  const auto version = image.Data().begin();
  return !std::all_of(version, version + kFormatVersionLength,
                      [](std::uint8_t byte) { return byte == kErasedByte; });
}

// Written beside the target and moved over it, so that a failed write leaves no half file.
void WriteRuleFile(const Workbook& book, const std::filesystem::path& path) {
  std::filesystem::path partial = path;
  partial += ".part";
  WriteWorkbookFile(book, partial);
  std::error_code error;
  std::filesystem::rename(partial, path, error);
  if (!error) return;
  const std::string text = error.message();
  std::filesystem::remove(partial, error);
  throw FileError(path, text);
}

}  // namespace

void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output) {
  if (!HoldsConfiguration(image)) throw std::runtime_error("No configuration data present");
  const std::filesystem::path directory = std::filesystem::absolute(output).parent_path();
  Configuration configuration(directory, directory);
  DecodeImageInto(configuration, image);
  WriteRuleFile(configuration.MimicBook, output);
}

int DecodeCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  if (Extension(output) != ".trv") throw UsageError("the rule data file is a .trv file");
  const std::filesystem::path input = arguments.OnlyPositional();
  const std::string extension = Extension(input);
  if (extension != ".bin" && extension != ".hex") {
    throw UsageError("the image comes from a .bin or a .hex file");
  }
  WriteDecodedRuleFile(extension == ".bin" ? ReadBinaryImage(input) : ReadHexImage(input), output);
  return 0;
}

}  // namespace trv::cli
