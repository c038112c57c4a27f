#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace trv::test {

// What pdftotext reads from a PDF file with these options ("-layout", "-bbox", ...); pages end
// with a form feed. Empty when the file cannot be read.
std::string PdfText(const std::filesystem::path& pdf, const std::vector<std::string>& options = {});

// The text of each page.
std::vector<std::string> PdfPages(const std::filesystem::path& pdf,
                                  const std::vector<std::string>& options = {});

// Renders one page to PNG at this resolution (pdftoppm); true when it worked.
bool RenderPdfPage(const std::filesystem::path& pdf, int page, int dotsPerInch,
                   const std::filesystem::path& png);

}  // namespace trv::test
