// Whole runs in which an output of the run would be one of its inputs: the
// result file (also through a hard link, a symbolic link or another spelling),
// WORK.LST, and the data file of the conversion mode. Each ends with one error
// line, status 2, and every input byte for byte as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

void ExpectRefusal(const ProgramRun& run, const std::string& line) {
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err, "rxpost: " + line + "\n");
  EXPECT_EQ(run.out.find("NORMAL TERMINATION"), std::string::npos);
}

TEST(NoOutputOverInput, TheResultFileUnderAnyNameIsNeverWritten) {
  const std::string dir = MakeScratchDir("over-input");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel({})));
  const std::string before = ReadWholeFile(dir + "/result.bin");
  ASSERT_EQ(link((dir + "/result.bin").c_str(), (dir + "/hard.bin").c_str()), 0);
  std::filesystem::create_symlink("result.bin", dir + "/soft.bin");
  WriteWholeFile(dir + "/WORK.LST", "a\nb\nc\nresult.bin\n");
  const std::string work_list = ReadWholeFile(dir + "/WORK.LST");
  for (const char* output : {"result.bin", "hard.bin", "soft.bin", "./result.bin"}) {
    ExpectRefusal(RunRxpost(dir, std::string("0\n0\n0\n1\nresult.bin\n0\n2\n") + output + "\n0\n"),
                  std::string(output) +
                      ": is the file \"result.bin\" that this run reads; it is left untouched");
  }
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n0\n0\n2\nWORK.LST\n0\n"),
                "WORK.LST: is the file \"WORK.LST\" that this run reads; it is left untouched");
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n0\n0\n2\nresult.bin\n0\n"),
                "result.bin: is the file \"result.bin\" that this run reads; it is left untouched");
  // An input that does not exist yet is refused as well, and not left behind.
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n6\nPICKUP.INP\n0\n"),
                "PICKUP.INP: is the file \"PICKUP.INP\" that this run reads; it is left untouched");
  EXPECT_FALSE(FileExists(dir + "/PICKUP.INP"));
  EXPECT_EQ(ReadWholeFile(dir + "/result.bin"), before);
  EXPECT_EQ(ReadWholeFile(dir + "/WORK.LST"), work_list);
}

TEST(NoOutputOverInput, ConversionInputIsCheckedBeforeAnalysisDatIsOpened) {
  const std::string dir = MakeScratchDir("over-data");
  const std::string old_output = "old ANALYSIS.DAT\n";
  WriteWholeFile(dir + "/ANALYSIS.DAT", old_output);
  std::filesystem::create_symlink("ANALYSIS.DAT", dir + "/data.lnk");
  std::filesystem::create_directory(dir + "/folder");
  ExpectRefusal(RunRxpost(dir, "1\nANALYSIS.DAT\n"),
                "ANALYSIS.DAT: is the file \"ANALYSIS.DAT\" that this run reads; it is left "
                "untouched");
  ExpectRefusal(RunRxpost(dir, "1\ndata.lnk\n"),
                "ANALYSIS.DAT: is the file \"data.lnk\" that this run reads; it is left untouched");
  ExpectRefusal(RunRxpost(dir, "1\nfolder\n"),
                "folder: the data file is a directory, not a file to read");
  ExpectRefusal(RunRxpost(dir, "1\n/dev/zero\n"),
                "/dev/zero: the data file is a device, not a file to read");
  EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"), old_output);
}

}  // namespace
