// make_result_file: writes a generated grid model as an RX-KORIN or RX-DELM
// result file, optionally with a fault, for the demo and the whole-run tests.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "result_file_maker.h"

namespace {

constexpr const char* kUsage =
    "usage: make_result_file --program korin|delm --nx N --ny N --steps N --seed N\n"
    "                        [--step-numbers 3,5,9] [--step-times 0.5,1,2]\n"
    "                        [--fault none|cut|no-last-elements|short-record|bad-framing]\n"
    "                        --out FILE\n";

struct UsageError {
  std::string what;
};

template <typename T>
T ParseNumber(std::string_view option, std::string_view text) {
  T value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw UsageError{std::string(option) + " expects a number, not '" + std::string(text) + "'"};
  }
  return value;
}

template <typename T>
std::vector<T> ParseList(std::string_view option, std::string_view text) {
  std::vector<T> values;
  while (true) {
    size_t comma = text.find(',');
    values.push_back(ParseNumber<T>(option, text.substr(0, comma)));
    if (comma == std::string_view::npos) return values;
    text.remove_prefix(comma + 1);
  }
}

MadeFault ParseFault(std::string_view text) {
  static const std::map<std::string_view, MadeFault> kFaults = {
      {"none", MadeFault::kNone},
      {"cut", MadeFault::kCutInsideRecord},
      {"no-last-elements", MadeFault::kLastStepWithoutElements},
      {"short-record", MadeFault::kShortNodeRecord},
      {"bad-framing", MadeFault::kMismatchedFraming}};
  auto found = kFaults.find(text);
  if (found == kFaults.end()) throw UsageError{"unknown fault '" + std::string(text) + "'"};
  return found->second;
}

struct Arguments {
  GridOptions grid;
  MadeFault fault = MadeFault::kNone;
  std::string out;
};

// Reads "--name value" pairs into a map; every option takes a value.
std::map<std::string, std::string> OptionValues(int argc, char** argv) {
  std::map<std::string, std::string> values;
  for (int i = 1; i < argc; i += 2) {
    std::string name = argv[i];
    if (name.rfind("--", 0) != 0) throw UsageError{"unexpected argument '" + name + "'"};
    if (i + 1 >= argc) throw UsageError{name + " needs a value"};
    if (!values.emplace(name, argv[i + 1]).second) throw UsageError{name + " given twice"};
  }
  return values;
}

std::string TakeOption(std::map<std::string, std::string>& values, const std::string& name,
                       bool required) {
  auto found = values.find(name);
  if (found == values.end()) {
    if (required) throw UsageError{name + " is required"};
    return "";
  }
  std::string value = found->second;
  values.erase(found);
  return value;
}

int32_t PositiveOption(std::map<std::string, std::string>& values, const std::string& name,
                       int32_t lowest) {
  int32_t value = ParseNumber<int32_t>(name, TakeOption(values, name, true));
  if (value < lowest) throw UsageError{name + " must be at least " + std::to_string(lowest)};
  return value;
}

Arguments ParseArguments(int argc, char** argv) {
  std::map<std::string, std::string> values = OptionValues(argc, argv);
  Arguments args;
  std::string program = TakeOption(values, "--program", true);
  if (program != "korin" && program != "delm") throw UsageError{"--program is korin or delm"};
  args.grid.program_flag = program == "delm" ? 1 : 0;
  args.grid.nx = PositiveOption(values, "--nx", 1);
  args.grid.ny = PositiveOption(values, "--ny", 1);
  args.grid.steps = PositiveOption(values, "--steps", 0);
  args.grid.seed = ParseNumber<uint64_t>("--seed", TakeOption(values, "--seed", true));
  std::string numbers = TakeOption(values, "--step-numbers", false);
  if (!numbers.empty()) args.grid.step_numbers = ParseList<int32_t>("--step-numbers", numbers);
  std::string times = TakeOption(values, "--step-times", false);
  if (!times.empty()) args.grid.step_times = ParseList<double>("--step-times", times);
  std::string fault = TakeOption(values, "--fault", false);
  if (!fault.empty()) args.fault = ParseFault(fault);
  args.out = TakeOption(values, "--out", true);
  if (!values.empty()) throw UsageError{"unknown option " + values.begin()->first};
  return args;
}

void CheckListLengths(const GridOptions& grid) {
  size_t steps = static_cast<size_t>(grid.steps);
  if (!grid.step_numbers.empty() && grid.step_numbers.size() != steps) {
    throw UsageError{"--step-numbers must list one number per step"};
  }
  if (!grid.step_times.empty() && grid.step_times.size() != steps) {
    throw UsageError{"--step-times must list one time per step"};
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Arguments args;
  try {
    args = ParseArguments(argc, argv);
    CheckListLengths(args.grid);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "make_result_file: %s\n%s", error.what.c_str(), kUsage);
    return 2;
  }
  MadeModel model = MakeGridModel(args.grid);
  if (!WriteResultFile(args.out, model, args.fault)) {
    std::fprintf(stderr, "make_result_file: %s: cannot write: %s\n", args.out.c_str(),
                 std::strerror(errno));
    return 1;
  }
  return 0;
}
