#include "transfer/image_file.h"

#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "files/file_extension.h"
#include "files/replacing_write.h"
#include "flash/binary_image.h"
#include "transfer/image_cells.h"

namespace trv {

namespace {

std::runtime_error FileError(const std::filesystem::path& path, const std::string& text) {
  return std::runtime_error(path.string() + ": " + text);
}

bool IsBinaryFile(const std::filesystem::path& path) {
  return LowerCaseExtension(path) == ".bin";
}

void WriteBinaryFile(const std::filesystem::path& path, const ConfigurationImage& image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw FileError(path, std::generic_category().message(errno));
  out.write(reinterpret_cast<const char*>(image.Data().data()),
            static_cast<std::streamsize>(image.Data().size()));
  out.close();
  if (!out) throw FileError(path, std::generic_category().message(errno));
}

// Exactly the image's size, so that no other file is taken for an image.
ConfigurationImage ReadBinaryFile(const std::filesystem::path& path) {
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

ConfigurationImage ReadHexFile(const std::filesystem::path& path) {
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  cells.LoadFromHexFile(path.string());
  return ImageOfCells(cells);
}

}  // namespace

bool IsImageFile(const std::filesystem::path& path) {
  const std::string extension = LowerCaseExtension(path);
  return extension == ".bin" || extension == ".hex";
}

void WriteImageFile(const ConfigurationImage& image, const std::filesystem::path& path) {
  WriteReplacing(path, [&](const std::filesystem::path& file) {
    if (IsBinaryFile(path)) {
      WriteBinaryFile(file, image);
    } else {
      ImageCells(image).SaveToHexFile(file.string());
    }
  });
}

ConfigurationImage ReadImageFile(const std::filesystem::path& path) {
  return IsBinaryFile(path) ? ReadBinaryFile(path) : ReadHexFile(path);
}

}  // namespace trv
