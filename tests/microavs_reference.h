// Expected MicroAVS files worked out independently of the program: the
// temporary file of step blocks and the assembled UCD file, from printf
// fields and a plain average per node, straight from a made model.
#pragma once

#include <string>

#include "result_file_maker.h"

struct RefMicroAvsFiles {
  std::string temp;  // "AVS.tmp"
  std::string main;  // the assembled file
};

// The files a run writes when it selects every step of `model`.
RefMicroAvsFiles RefMicroAvs(const MadeModel& model);
