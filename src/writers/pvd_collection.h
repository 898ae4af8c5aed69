// PvdCollection: the ParaView collection that `rxpost vtk` keeps: OUT.pvd and
// beside it the step files OUT_000001.vtu, OUT_000002.vtu, ... (numbered as
// they are named; a file-name stem that an XML parser cannot take is made of
// safe bytes, see XmlSafeFileName).
//
// The .pvd is always replaced whole: it is written beside itself as
// OUT.pvd.tmp and renamed over OUT.pvd, so that a reader, or a run that
// fails, finds the old collection or the new one, never a part of one. Once a
// new .pvd is in place, the step files that the one before it listed and it
// no longer lists are removed; only files named as this collection's step
// files, and never a file the run reads, are ever removed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/output_files.h"
#include "common/text_output.h"
#include "writers/pvd_writer.h"

class PvdCollection {
 public:
  // Checks the name (it ends in .pvd, in any case) and that neither the
  // collection nor the file written beside it is a file the run reads, and
  // creates that file, so that a missing folder stops the run at once.
  // Learns which files an existing .pvd of the name lists.
  PvdCollection(OutputFiles& files, std::string path);
  // Removes the file beside the collection if it is still there.
  ~PvdCollection();
  PvdCollection(const PvdCollection&) = delete;
  PvdCollection& operator=(const PvdCollection&) = delete;

  // The path of a new step file, numbered after every one named before.
  std::string NewStepFilePath();
  // Lists a step file (named by NewStepFilePath) from the next PutInPlace on.
  void List(double time, int32_t step_number, const std::string& step_file_path);
  // Takes the last listed step file off the list.
  void DropLast() { data_sets_.pop_back(); }
  const std::vector<PvdDataSet>& DataSets() const { return data_sets_; }

  // Writes the .pvd of the listed step files and puts it in place; then
  // removes the step files that are listed no more.
  void PutInPlace();

 private:
  bool IsStepFileName(const std::string& name) const;
  void RemoveStepFilesListedNoMore(const std::vector<std::string>& listed_before);

  OutputFiles& files_;
  std::string path_;
  std::string folder_;  // "" or ending in '/'
  std::string stem_;    // safe file-name stem of the step files
  std::string replacement_path_;
  std::unique_ptr<TextOutput> replacement_;
  bool replacement_exists_ = false;
  std::vector<PvdDataSet> data_sets_;
  std::vector<std::string> listed_in_place_;  // step files the .pvd in place lists
  int64_t step_files_named_ = 0;
};
