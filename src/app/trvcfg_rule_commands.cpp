// trvcfg show and encode: a rule data file as the rule table, or as the configuration image.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/rule_file.h"
#include "flash/binary_image.h"
#include "model/configuration.h"
#include "model/rule_text.h"
#include "transfer/configuration_image.h"
#include "transfer/encode_image.h"

namespace trv::cli {

namespace {

constexpr std::uint8_t kErasedByte = 0xFF;

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The file as File Open reads it; the rule file whose time the image records is the file itself.
Configuration LoadConfiguration(const std::filesystem::path& file) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  Configuration configuration(path.parent_path(), path.parent_path());
  const RuleFileLoad load = LoadRuleFile(path, configuration);
  if (load.Message && load.Message->IsError) throw std::runtime_error(load.Message->Text);
  if (load.Message) std::cerr << load.Message->Text << '\n';
  configuration.RuleFileName = path.string();
  return configuration;
}

std::runtime_error WriteError(const std::filesystem::path& path, int error) {
  return std::runtime_error(path.string() + ": " + std::generic_category().message(error));
}

void WriteBinaryFile(const std::filesystem::path& path, const ConfigurationImage& image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw WriteError(path, errno);
  out.write(reinterpret_cast<const char*>(image.Data().data()),
            static_cast<std::streamsize>(image.Data().size()));
  out.close();
  if (!out) throw WriteError(path, errno);
}

// The image at its controller address; erased bytes stay empty cells, as a send skips them.
TBinaryImage HexFileImage(const ConfigurationImage& image) {
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    const std::uint8_t byte = image.Byte(offset);
    if (byte != kErasedByte) cells.SetCell(ConfigurationImage::ImageBase + offset, byte);
  }
  return cells;
}

// Writes through a sibling file renamed over the target, so that a failed write never leaves a
// cut-off image under the name asked for.
template <typename Write>
void WriteReplacing(const std::filesystem::path& path, Write write) {
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

}  // namespace

int ShowCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  const Configuration configuration = LoadConfiguration(arguments.OnlyPositional());
  const RuleTextContext context = RuleTextContextOf(configuration.ControllerSettings);
  std::string out;
  for (std::int32_t n = 1; n <= configuration.RuleCount; ++n) {
    out += std::to_string(n);
    for (const std::string& cell : RenderRule(configuration.StoredRule(n), context)) {
      out += '\t';
      out += cell;
    }
    out += '\n';
  }
  std::cout << out << std::flush;
  return 0;
}

int EncodeCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  const std::string extension = LowerCase(output.extension().string());
  if (extension != ".bin" && extension != ".hex") {
    throw UsageError("the image goes to a .bin or a .hex file");
  }
  const Configuration configuration = LoadConfiguration(arguments.OnlyPositional());
  const ConfigurationImage image = EncodeImage(configuration);
  WriteReplacing(output, [&](const std::filesystem::path& file) {
    if (extension == ".bin") {
      WriteBinaryFile(file, image);
    } else {
      HexFileImage(image).SaveToHexFile(file.string());
    }
  });
  return 0;
}

}  // namespace trv::cli
