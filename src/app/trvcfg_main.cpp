// trvcfg: the configuration tool without a window, for scripts and servicing.

#include <array>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/trvcfg_commands.h"
#include "model/program_version.h"

namespace trv::cli {

namespace {

struct Command {
  std::string_view Name;
  CommandFunction Run;
  std::string_view Usage;  // the words after "trvcfg"
};

// One line per command.
constexpr std::array kCommands{
    Command{"show", ShowCommand, "show FILE.trv"},
    Command{"encode", EncodeCommand, "encode FILE.trv -o OUT.bin|OUT.hex"},
    Command{"decode", DecodeCommand, "decode IN.bin|IN.hex -o OUT.trv"},
    Command{"send", SendCommand,
            "send FILE.trv [--no-backup] [--port COMn] [--baud N] [--id ID]... [--trace FILE]"},
    Command{"get", GetCommand,
            "get (-o OUT.trv | --image OUT.bin|OUT.hex)... [--port COMn] [--baud N] [--id ID]... "
            "[--trace FILE]"},
    Command{"flash", FlashCommand,
            "flash FILE.hex [--port COMn] [--baud N] [--id ID]... [--trace FILE]"},
    Command{"read", ReadCommand,
            "read --start ADDR --size N -o OUT.hex [--port COMn] [--baud N] [--id ID]... "
            "[--trace FILE]"},
    Command{"diff", DiffCommand, "diff A B (each a .trv, .bin or .hex file)"},
    Command{"export", ExportCommand, "export FILE.trv -o RULES.csv"},
    Command{"print", PrintCommand, "print FILE.trv -o REPORT.pdf [--paper a4|letter]"},
    Command{"check", CheckCommand, "check FILE.trv|IN.bin|IN.hex"},
    Command{"ports", PortsCommand, "ports"},
};

constexpr int kErrorStatus = 1;
constexpr std::string_view kEndOfOptions = "--";
constexpr int kUsageStatus = 2;

void PrintUsage(std::ostream& out) {
  out << "usage:\n  trvcfg --version\n";
  for (const Command& command : kCommands) out << "  trvcfg " << command.Usage << '\n';
}

int VersionCommand() {
  const VersionRecord& record = ThisVersionRecord();
  std::cout << "trvcfg " << record.ProductVersion << '\n' << record.LegalCopyright << '\n';
  return 0;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.Name == name) return &command;
  }
  return nullptr;
}

int Dispatch(const std::vector<std::string>& words) {
  if (words.empty()) throw UsageError("no command given");
  if (words.front() == "--version") return VersionCommand();
  if (words.front() == "--help") {
    PrintUsage(std::cout);
    return 0;
  }
  const Command* command = FindCommand(words.front());
  if (command == nullptr) throw UsageError("unknown command \"" + words.front() + "\"");
  return command->Run({words.begin() + 1, words.end()});
}

}  // namespace

CommandArguments::CommandArguments(const std::vector<std::string>& words,
                                   const std::set<std::string>& options,
                                   const std::set<std::string>& flags) {
  for (auto word = words.begin(); word != words.end(); ++word) {
    if (*word == kEndOfOptions) {
      FPositional.insert(FPositional.end(), std::next(word), words.end());
      return;
    }
    if (word->size() < 2 || word->front() != '-') {
      FPositional.push_back(*word);
      continue;
    }
    if (flags.contains(*word)) {
      FFlags.insert(*word);
      continue;
    }
    if (!options.contains(*word)) throw UsageError("unknown option \"" + *word + "\"");
    if (std::next(word) == words.end()) throw UsageError("option " + *word + " needs a value");
    FOptions.emplace(*word, *std::next(word));
    ++word;
  }
}

std::vector<std::string> CommandArguments::Values(const std::string& option) const {
  std::vector<std::string> values;
  const auto [first, last] = FOptions.equal_range(option);
  for (auto entry = first; entry != last; ++entry) values.push_back(entry->second);
  return values;
}

std::string CommandArguments::RequiredValue(const std::string& option) const {
  const std::vector<std::string> values = Values(option);
  if (values.size() != 1) throw UsageError("give option " + option + " exactly once");
  return values.front();
}

std::string CommandArguments::OnlyPositional() const {
  if (FPositional.size() != 1) throw UsageError("give exactly one file");
  return FPositional.front();
}

}  // namespace trv::cli

int main(int argc, char** argv) {
  using namespace trv::cli;
  try {
    return Dispatch({argv + 1, argv + argc});
  } catch (const UsageError& error) {
    std::cerr << "trvcfg: " << error.what() << '\n';
    PrintUsage(std::cerr);
    return kUsageStatus;
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return kErrorStatus;
  }
}
