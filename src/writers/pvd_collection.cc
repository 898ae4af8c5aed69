#include "writers/pvd_collection.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string_view>

#include "common/bounded_line.h"
#include "common/platform.h"
#include "common/run_error.h"

namespace {

constexpr std::string_view kEnding = ".pvd";
constexpr std::string_view kStepEnding = ".vtu";
constexpr size_t kStepDigits = 6;
// An existing .pvd is looked at no further than this (about 600000 data sets).
constexpr uint64_t kMostBytesRead = 64 << 20;

bool EndsInPvd(std::string_view name) {
  if (name.size() <= kEnding.size()) return false;
  const std::string_view ending = name.substr(name.size() - kEnding.size());
  return std::equal(ending.begin(), ending.end(), kEnding.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// The value of an attribute as written in XML, with the five named entities
// replaced; empty when it holds any other '&'.
std::string UnescapedAttribute(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string value;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      value += text[i++];
      continue;
    }
    auto known = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& entity) {
      return text.substr(i).starts_with(entity.first);
    });
    if (known == std::end(kEntities)) return "";
    value += known->second;
    i += known->first.size();
  }
  return value;
}

// The file="..." values of the collection at `path`; none when it is not a
// regular file.
std::vector<std::string> ListedFileNames(const std::string& path) {
  std::vector<std::string> names;
  platform::FileStatus status;
  if (!platform::StatusOfPath(path, &status) || status.kind != platform::FileKind::kRegular) {
    return names;
  }
  std::ifstream in(path, std::ios::binary);
  BoundedLine line;
  uint64_t bytes = 0;
  constexpr std::string_view kAttribute = " file=\"";
  while (bytes < kMostBytesRead && ReadBoundedLine(*in.rdbuf(), 4096, LongLines::kSkip, line)) {
    bytes += line.length + 1;
    const size_t start = line.text.find(kAttribute);
    if (line.Cut() || start == std::string::npos) continue;
    const size_t begin = start + kAttribute.size(), end = line.text.find('"', begin);
    if (end == std::string::npos) continue;
    std::string name = UnescapedAttribute(std::string_view(line.text).substr(begin, end - begin));
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

PvdCollection::PvdCollection(OutputFiles& files, std::string path)
    : files_(files), path_(std::move(path)) {
  const size_t slash = path_.rfind('/');
  folder_ = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
  const std::string name = path_.substr(folder_.size());
  if (!EndsInPvd(name)) {
    throw ErrorAbout(path_, "the collection's name must end in .pvd, as out.pvd does");
  }
  platform::FileStatus status;
  if (platform::StatusOfPath(path_, &status) && status.kind == platform::FileKind::kDirectory) {
    throw ErrorAbout(path_, "is a folder");
  }
  stem_ = XmlSafeFileName(name.substr(0, name.size() - kEnding.size()));
  replacement_path_ = path_ + ".tmp";
  files_.RefuseKnown(path_);
  try {
    replacement_ = files_.CreateToRename(replacement_path_);
  } catch (const RunError& error) {
    // Named by the collection, which is what the user named.
    const std::string what = error.what();
    const size_t named = EscapedText(replacement_path_).size() + 2;  // "NAME: "
    throw ErrorAbout(path_, what.substr(std::min(named, what.size())) + " (it is written as " +
                                EscapedText(replacement_path_) + " first)");
  }
  replacement_exists_ = true;
  for (std::string& listed : ListedFileNames(path_)) {
    if (IsStepFileName(listed)) listed_in_place_.push_back(std::move(listed));
  }
}

PvdCollection::~PvdCollection() {
  replacement_.reset();
  if (replacement_exists_) platform::Remove(replacement_path_);
}

std::string PvdCollection::NewStepFilePath() {
  char number[32];
  std::snprintf(number, sizeof number, "_%0*lld", static_cast<int>(kStepDigits),
                static_cast<long long>(++step_files_named_));
  return folder_ + stem_ + number + std::string(kStepEnding);
}

void PvdCollection::List(double time, int32_t step_number, const std::string& step_file_path) {
  data_sets_.push_back({time, step_number, step_file_path.substr(folder_.size())});
}

bool PvdCollection::IsStepFileName(const std::string& name) const {
  if (!name.starts_with(stem_ + "_") || !name.ends_with(kStepEnding)) return false;
  const std::string_view digits = std::string_view(name).substr(
      stem_.size() + 1, name.size() - stem_.size() - 1 - kStepEnding.size());
  return digits.size() >= kStepDigits &&
         std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void PvdCollection::PutInPlace() {
  if (!replacement_) {
    replacement_ = files_.CreateToRename(replacement_path_);
    replacement_exists_ = true;
  }
  WritePvdCollection(*replacement_, data_sets_);
  replacement_->Flush();
  replacement_.reset();
  if (!platform::Rename(replacement_path_, path_)) {
    throw ErrorAbout(
        path_, "cannot put the collection in place: " + platform::ErrorText(platform::LastError()));
  }
  replacement_exists_ = false;
  std::vector<std::string> listed_before;
  listed_before.swap(listed_in_place_);
  for (const PvdDataSet& data_set : data_sets_) listed_in_place_.push_back(data_set.file);
  RemoveStepFilesListedNoMore(listed_before);
}

void PvdCollection::RemoveStepFilesListedNoMore(const std::vector<std::string>& listed_before) {
  for (const std::string& name : listed_before) {
    if (std::find(listed_in_place_.begin(), listed_in_place_.end(), name) !=
        listed_in_place_.end()) {
      continue;
    }
    const std::string path = folder_ + name;
    files_.Forget(path);
    try {
      files_.RefuseKnown(path);  // a file the run reads stays
    } catch (const RunError&) {
      continue;
    }
    platform::Remove(path);  // never a folder
  }
}
