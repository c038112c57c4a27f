#pragma once

#include <filesystem>

#include "transfer/configuration_image.h"

namespace trv {

// An image file is a raw .bin or an Intel HEX .hex file, the extension in any case.
bool IsImageFile(const std::filesystem::path& path);

// A .bin holds exactly the image's 65,280 bytes; a .hex (any other name) holds Intel HEX of the
// image at its controller address, erased bytes left out. The file is replaced whole or not at
// all. Raises std::runtime_error or std::filesystem::filesystem_error naming the file.
void WriteImageFile(const ConfigurationImage& image, const std::filesystem::path& path);

// A .bin must hold exactly the image's size; any other file is read as Intel HEX, whose records
// must lie inside the image and whose missing bytes read as erased. Raises std::runtime_error,
// THexFileError or std::filesystem::filesystem_error naming the file.
ConfigurationImage ReadImageFile(const std::filesystem::path& path);

}  // namespace trv
