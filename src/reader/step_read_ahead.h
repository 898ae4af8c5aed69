// StepReadAhead: hands a result file's steps to the caller one at a time,
// reading each next step on a thread of its own while the caller still works
// on the current one. The next step goes into the model's spare step values,
// which become the current ones when the caller asks for that step, so the
// caller sees exactly what reading the steps one after another would give,
// errors included: a fault in step k + 1 is thrown when step k + 1 is asked
// for, after step k has been used.
//
//   StepReadAhead steps(file, model);  // begins reading step 1
//   while (steps.Next()) Write(model);
#pragma once

#include <exception>
#include <thread>

#include "model/model_store.h"
#include "reader/result_file.h"

class StepReadAhead {
 public:
  // The model is loaded and the file stands at its first step.
  StepReadAhead(ResultFile& file, ModelStore& model);
  // Waits for a step still being read.
  ~StepReadAhead();
  StepReadAhead(const StepReadAhead&) = delete;
  StepReadAhead& operator=(const StepReadAhead&) = delete;

  // Makes the next step the model's current one and begins reading the one
  // after; false after the last step. Throws what reading the step threw.
  bool Next();

 private:
  void ReadSpareStep();
  void Wait();

  ResultFile& file_;
  ModelStore& model_;
  std::thread reading_;
  bool spare_holds_step_ = false;
  std::exception_ptr failure_;
};
