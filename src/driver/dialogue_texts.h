// The fixed texts of the console dialogue: banners, boxes, prompts and menu
// lines, exactly as the user sees them. Prompts are written as free-form lines
// (the console adds the leading blank); boxes and banners stand as they are.
// The three Japanese texts are Shift-JIS bytes. The texts are spelled as the
// users know them, slips included ("inWORK.LST", "NoHeadn", "avairable",
// "DATA-FAILE"): they are kept on purpose, byte for byte.
#pragma once

#include <array>
#include <string_view>

#include "driver/console.h"

namespace dialogue {

inline constexpr std::array<std::string_view, 5> kStartBanner = {
    "****************************************************",
    "*                                                  *",
    "*  KORIN/DELM RESULT TRANSFER/0 DATAfile CONVERT/1 *",
    "*                                                  *",
    "****************************************************",
};

inline constexpr std::array<std::string_view, 9> kInformationBox = {
    "**********************************************",
    "* This program is for RX-DELM,RX-KORIN 2023  *",
    "*  It uses the 4th file inWORK.LST.          *",
    "*  rxpost: KORIN/DELM results to text files  *",
    "*   NUMNP= upto 5000000                      *",
    "*   NUMEL= upto 5000000                      *",
    "*--------------------------------------------*",
    "*                               Yes/0  No/1  *",
    "**********************************************",
};

inline constexpr std::array<std::string_view, 7> kFileChoiceBox = {
    "    +--------------------------------------------+",
    "    | You can choose the file to transform.      |",
    "    |   Which is your choice?                    |",
    "    |                                            |",
    "    |   0:  the 4th file in WORK.LST             |",
    "    |   1:  input the file-name.                 |",
    "    +--------------------------------------------+",
};

inline constexpr std::array<std::string_view, 7> kKindMenu = {
    "  Select data-Transfer type",     "  KORIN/DELM-ReStart  ------- 1(-1:NoHeadn)",
    "        TECPLOT  DATA ------- 2", "        FEMAP    DATA ------- 3",
    "        MicroAVS DATA ------- 4", "        mkVIEW   DATA ------- 5",
    " INTERP/node/elemDATA ------- 6",
};

inline constexpr std::array<std::string_view, 4> kStepQuestion = {
    " Input your interest\tNo. OF TIME STEP",
    " Check file TIMESTEP.CSV on another window",
    "   If input (<0) No., All time step avairable ",
    "   If input (0) No., Final time step avairable ",
};

inline constexpr std::string_view kInputNumber = "  INPUT No. ? =";
inline constexpr std::string_view kProgramQuestion = "Which program output KORIN/0 DELM/1";
inline constexpr std::string_view kOutputOfKorin = "OUTPUT of KORIN";
inline constexpr std::string_view kOutputOfDelm = "OUTPUT of DELM";
inline constexpr std::string_view kResultFileQuestion = "  INPUT KORIN/DELM result File Name. ";
inline constexpr std::string_view kHeadStyleQuestion = "  Set Head-style  pres./0 total/1";
inline constexpr std::string_view kMainOutputQuestion = "  INPUT Main-Output File Name";
inline constexpr std::string_view kOverwriteCaution = "  Caution! the file is OVERWRITE !";
inline constexpr std::string_view kClosingBanner = "   <<<<<  OK! OK!  NORMAL TERMINATION  >>>>> ";
inline constexpr std::string_view kAnalysisFileQuestion =
    " INPUT ANALYSIS DATA-FAILE with #comments";

// "Number of nodes" and "  number of elements" labels of the model summary.
inline constexpr std::string_view kNodeCountLabel = "\x90\xDF\x93\x5F\x91\x8D\x90\x94\x81\x40";
inline constexpr std::string_view kElemCountLabel =
    "\x20\x20\x97\x76\x91\x66\x91\x8D\x90\x94\x81\x40";
// "Data OK?  Y/0  N/1", after 15 blanks.
inline constexpr std::string_view kDataOkQuestion =
    "               "
    "\x83\x66\x81\x7C\x83\x5E\x81\x7C\x82\x6E\x82\x6A\x81\x48\x81\x40\x82\x78\x81\x5E"
    "\x82\x4F\x81\x40\x82\x6D\x81\x5E\x82\x50";

inline constexpr std::string_view kWorkList = "WORK.LST";

// The questions as messages name them: as the screen asks them (the Japanese
// one in plain letters), and the answers each takes.
inline constexpr Question kModeAnswer = {
    "KORIN/DELM RESULT TRANSFER/0 DATAfile CONVERT/1",
    "0 (result transfer) or another whole number (data-file conversion)"};
inline constexpr Question kInformationAnswer = {"Yes/0  No/1", "0 or 1"};
inline constexpr Question kProgramAnswer = {kProgramQuestion, "0 (RX-KORIN) or 1 (RX-DELM)"};
inline constexpr Question kFileChoiceAnswer = {
    "Which is your choice?", "0 (the 4th file in WORK.LST) or 1 (type the file name)"};
inline constexpr Question kResultFileAnswer = {"INPUT KORIN/DELM result File Name."};
inline constexpr Question kDataOkAnswer = {"Data OK? Y/0 N/1",
                                           "0 (go on) or another whole number (stop)"};
inline constexpr Question kKindAnswer = {
    "Select data-Transfer type", "1, -1, 2, 3, 4, 5 or 6 (another whole number writes nothing)"};
inline constexpr Question kHeadStyleAnswer = {"Set Head-style  pres./0 total/1",
                                              "0 (pressure head) or 1 (total head)"};
inline constexpr Question kMainOutputAnswer = {"INPUT Main-Output File Name"};
inline constexpr Question kStepAnswer = {
    "Input your interest No. OF TIME STEP",
    "0 (the final step), a negative whole number (every step) or a step number"};
inline constexpr Question kAnalysisFileAnswer = {"INPUT ANALYSIS DATA-FAILE with #comments"};

}  // namespace dialogue
