// zortab: checks item records as the control reads them, and shows the tabs and trees it
// makes of them. See `zortab --help`.
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zortab/checker.h"
#include "tools/zortab/output.h"
#include "tools/zortab/page_input.h"
#include "tools/zortab/show.h"

namespace {

// Inputs are read whole; a larger file is no page or record list.
constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

constexpr int kExitOk = 0;
constexpr int kExitFindings = 1;  // a record dropped, or a warning with --strict
constexpr int kExitUsage = 2;     // bad arguments or an unreadable file

constexpr std::string_view kHelp = R"(usage: zortab check [options] FILE...
       zortab show [options] FILE...
       zortab --help

check  reports, record by record, what the control does with each record: stored
       (with its ID, tab, parent and level) or dropped and why, values cut to their
       bounds, duplicate IDs, parents that name no item or come later, parent loops
       and items too deep for the tree.
show   prints the tabs and trees the control shows for the records.

A FILE is a page (.htm/.html, or text that starts with '<') whose <param> elements
CL0 .. CL350 hold the records, read in that order as the control loads them (the
page's DisplayStyle and Sorted parameters apply), or a text file with one record
a line.

options:
  --json               check: print one JSON array, an object per record
  --strict             check: warnings fail too
  --display-style N    0 tabs and tree (default), 1 tabs only, 2 tree only; a
                       page's DisplayStyle parameter takes precedence
  --delimiter N        the field separator's character code (default 44, ',')
  --html, --text       read every FILE as a page, or as a text file
  -h, --help           this text

exit status: 0 all records stored (and, with --strict, no warning); 1 a record
is dropped or, with --strict, a warning was given; 2 bad arguments or a file
that cannot be read.
)";

struct Options {
  bool json = false;
  bool strict = false;
  std::optional<bool> page;  // forced by --html / --text
  zortab::CheckOptions check;
  std::vector<std::string> files;
};

int UsageError(const std::string& text) {
  std::cerr << "zortab: " << text << "\nTry 'zortab --help'.\n";
  return kExitUsage;
}

std::optional<std::int32_t> ParseOptionNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  bool negative = text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Parses the arguments after the command; answers an exit code on an error.
std::optional<int> ParseOptions(int argc, char** argv, bool check, Options& options) {
  bool files_only = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (files_only || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      files_only = true;
      continue;
    }
    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    if (name == "--display-style" || name == "--delimiter") {
      if (!value) {
        if (i + 1 >= argc) return UsageError(std::string(name) + " needs a number");
        value = argv[++i];
      }
      const std::optional<std::int32_t> number = ParseOptionNumber(*value);
      if (!number)
        return UsageError(std::string(name) + " needs a number, not '" + std::string(*value) + "'");
      (name == "--delimiter" ? options.check.delimiter : options.check.display_style) = *number;
    } else if (value) {
      return UsageError("option " + std::string(name) + " takes no value");
    } else if (check && name == "--json") {
      options.json = true;
    } else if (check && name == "--strict") {
      options.strict = true;
    } else if (name == "--html" || name == "--text") {
      options.page = name == "--html";
    } else if (name == "--help" || name == "-h") {
      std::cout << kHelp;
      return kExitOk;
    } else {
      return UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (options.files.empty()) return UsageError("no FILE given");
  return std::nullopt;
}

std::optional<zortab::Input> Load(const std::string& path, const Options& options) {
  std::string error;
  const std::optional<std::string> bytes = zortab::ReadFile(path, kMaxInputBytes, error);
  if (!bytes) {
    std::cerr << "zortab: " << zortab::TerminalText(error) << '\n';
    return std::nullopt;
  }
  const bool page = options.page.value_or(zortab::LooksLikePage(path, *bytes));
  return page ? zortab::ReadPageParams(*bytes) : zortab::ReadTextRecords(*bytes);
}

int Check(const Options& options) {
  int exit_code = kExitOk;
  std::size_t stored = 0;
  std::size_t dropped = 0;
  std::size_t warnings = 0;
  std::vector<zortab::FileReport> reports;
  for (const std::string& path : options.files) {
    const std::optional<zortab::Input> input = Load(path, options);
    if (!input) {
      exit_code = kExitUsage;
      continue;
    }
    zortab::FileReport& report = reports.emplace_back();
    report.file = path;
    report.warnings = input->warnings;
    report.records = zortab::CheckRecords(*input, options.check);
    if (input->page && input->records.empty()) {
      report.warnings.push_back({1, "the page gives no CL0 .. CL350 parameter"});
    }
    warnings += report.warnings.size();
    for (const zortab::CheckedRecord& record : report.records) {
      ++(record.stored ? stored : dropped);
      for (const zortab::Message& message : record.messages) {
        if (message.severity == zortab::Severity::kWarning) ++warnings;
      }
    }
    if (options.json) {
      // The array holds records only; what concerns a whole file goes to the errors.
      for (const zortab::FileNote& note : report.warnings) {
        std::cerr << zortab::TerminalText(path) << ':' << note.line
                  << ": warning: " << zortab::TerminalText(note.text) << '\n';
      }
    } else {
      zortab::WriteText(std::cout, report);
      reports.clear();  // printed; not kept
    }
  }
  if (options.json) {
    zortab::WriteJson(std::cout, reports);
  } else {
    std::cout << stored + dropped << " records: " << stored << " stored, " << dropped
              << " dropped, " << warnings << " warnings\n";
  }
  if (exit_code == kExitOk && (dropped > 0 || (options.strict && warnings > 0))) {
    exit_code = kExitFindings;
  }
  return exit_code;
}

int Show(const Options& options) {
  int exit_code = kExitOk;
  for (const std::string& path : options.files) {
    const std::optional<zortab::Input> input = Load(path, options);
    if (!input) {
      exit_code = kExitUsage;
      continue;
    }
    zortab::WriteShow(std::cout, path, *input, options.check);
  }
  return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kHelp;
    return kExitOk;
  }
  if (command != "check" && command != "show") {
    return UsageError(command.empty() ? "no command given"
                                      : "unknown command '" + std::string(command) + "'");
  }
  Options options;
  if (const std::optional<int> exit_code = ParseOptions(argc, argv, command == "check", options)) {
    return *exit_code;
  }
  const int exit_code = command == "check" ? Check(options) : Show(options);
  std::cout.flush();
  return std::cout ? exit_code : kExitUsage;
}
