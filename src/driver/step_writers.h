// Hands one selected step to the step writer of the chosen output kind.
#pragma once

#include "common/text_output.h"
#include "driver/model_store.h"
#include "driver/transfer_settings.h"

void WriteSelectedStep(const TransferSettings& settings, ModelStore& model, TextOutput& main_output);
