#include "shell/help_document.h"

#include <system_error>

namespace trv {

namespace {
constexpr const char* kHelpDocument = "TRV_CFG.PDF";
}  // namespace

std::filesystem::path HelpDocumentPath(const std::filesystem::path& programDirectory) {
  const std::filesystem::path beside = programDirectory / kHelpDocument;
  const std::filesystem::path installed =
      programDirectory / TRV_HELP_DOCUMENT_FROM_PROGRAM / kHelpDocument;
  std::error_code error;
  if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
    return installed.lexically_normal();
  }
  return beside;
}

}  // namespace trv
