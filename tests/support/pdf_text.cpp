#include "pdf_text.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace trv::test {

namespace {

std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Command(const std::string& program, const std::vector<std::string>& words) {
  std::string command = program;
  for (const std::string& word : words) command.append(" ").append(Quoted(word));
  return command;
}

}  // namespace

std::string PdfText(const std::filesystem::path& pdf, const std::vector<std::string>& options) {
  std::vector<std::string> words = options;
  words.insert(words.end(), {"-enc", "UTF-8", pdf.string(), "-"});
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(
      popen(Command("pdftotext", words).append(" 2>/dev/null").c_str(), "r"), pclose);
  std::string text;
  if (!pipe) return text;
  char buffer[4096];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
    text.append(buffer, read);
  }
  return text;
}

std::vector<std::string> PdfPages(const std::filesystem::path& pdf,
                                  const std::vector<std::string>& options) {
  const std::string text = PdfText(pdf, options);
  std::vector<std::string> pages;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1) {
    pages.push_back(text.substr(start, end - start));
  }
  return pages;
}

bool RenderPdfPage(const std::filesystem::path& pdf, int page, int dotsPerInch,
                   const std::filesystem::path& png) {
  const std::filesystem::path stem = png.parent_path() / png.stem();
  const std::string number = std::to_string(page);
  const int status =
      std::system(Command("pdftoppm", {"-png", "-singlefile", "-r", std::to_string(dotsPerInch),
                                       "-f", number, "-l", number, pdf.string(), stem.string()})
                      .c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace trv::test
