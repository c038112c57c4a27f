#pragma once

#include "flash/binary_image.h"
#include "transfer/configuration_image.h"

namespace trv {

// The image as cells at its controller address, erased bytes left empty as a send skips them.
TBinaryImage ImageCells(const ConfigurationImage& image);

// Back from cells that cover the image's addresses, an empty cell reading as an erased byte.
ConfigurationImage ImageOfCells(const TBinaryImage& cells);

}  // namespace trv
