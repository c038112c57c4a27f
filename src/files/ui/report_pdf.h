#pragma once

#include <filesystem>
#include <string>

namespace trv {

class Configuration;

enum class ReportPaper { A4, Letter };

// Dots an inch of the printed report: the resolution a printer has in high resolution, so that a
// PDF file written here and one printed to a file from the print dialog have the same pages.
inline constexpr int kReportResolution = 1200;

// The printed report as a PDF file, on paper of that size with no margins of its own. Needs a
// QGuiApplication (an offscreen one will do). The file is replaced only when complete.
void WriteReportPdf(const Configuration& configuration, const std::string& unitName,
                    const std::filesystem::path& file, ReportPaper paper);

}  // namespace trv
