// The files the trvcfg commands share: rule data files as File Open reads them, and the
// configuration image as a raw .bin or as Intel HEX at its controller address.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/trvcfg_commands.h"
#include "files/rule_file.h"
#include "flash/binary_image.h"
#include "model/configuration.h"
#include "transfer/configuration_image.h"

namespace trv::cli {

namespace {

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::size_t kFormatVersionLength = 4;

std::runtime_error FileError(const std::filesystem::path& path, const std::string& text) {
  return std::runtime_error(path.string() + ": " + text);
}

void WriteBinaryFile(const std::filesystem::path& path, const ConfigurationImage& image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw FileError(path, std::generic_category().message(errno));
  out.write(reinterpret_cast<const char*>(image.Data().data()),
            static_cast<std::streamsize>(image.Data().size()));
  out.close();
  if (!out) throw FileError(path, std::generic_category().message(errno));
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

}  // namespace

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string LowerCaseExtension(const std::filesystem::path& path) {
  return LowerCase(path.extension().string());
}

bool IsImageFile(const std::filesystem::path& path) {
  const std::string extension = LowerCaseExtension(path);
  return extension == ".bin" || extension == ".hex";
}

Configuration LoadConfiguration(const std::filesystem::path& file) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  Configuration configuration(path.parent_path(), path.parent_path());
  const RuleFileLoad load = LoadRuleFile(path, configuration);
  if (load.Message && load.Message->IsError) throw std::runtime_error(load.Message->Text);
  if (load.Message) std::cerr << load.Message->Text << '\n';
  configuration.RuleFileName = path.string();
  return configuration;
}

TBinaryImage ImageCells(const ConfigurationImage& image) {
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    const std::uint8_t byte = image.Byte(offset);
    if (byte != kErasedByte) cells.SetCell(ConfigurationImage::ImageBase + offset, byte);
  }
  return cells;
}

ConfigurationImage ImageOfCells(const TBinaryImage& cells) {
  ConfigurationImage image;
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    image.SetByte(offset, cells.OutByte(ConfigurationImage::ImageBase + offset));
  }
  return image;
}

bool HoldsConfiguration(const ConfigurationImage& image) {
  const auto version = image.Data().begin();
  return !std::all_of(version, version + kFormatVersionLength,
                      [](std::uint8_t byte) { return byte == kErasedByte; });
}

void WriteReplacing(const std::filesystem::path& path,
                    const std::function<void(const std::filesystem::path&)>& write) {
  std::filesystem::path partial = path;
  partial += ".partial";
  try {
    write(partial);
    std::filesystem::rename(partial, path);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    throw;
  }
}

void WriteImageFile(const ConfigurationImage& image, const std::filesystem::path& path) {
  const bool hex = LowerCaseExtension(path) == ".hex";
  WriteReplacing(path, [&](const std::filesystem::path& file) {
    if (hex) {
      ImageCells(image).SaveToHexFile(file.string());
    } else {
      WriteBinaryFile(file, image);
    }
  });
}

ConfigurationImage ReadImageFile(const std::filesystem::path& path) {
  if (LowerCaseExtension(path) == ".bin") return ReadBinaryImage(path);
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  cells.LoadFromHexFile(path.string());
  return ImageOfCells(cells);
}

}  // namespace trv::cli
