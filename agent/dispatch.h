// Carries out the recognised command and gives its ResultCode.
#pragma once

#include "command_word.h"
#include "result_codes.h"

ResultCode DispatchCommand(CommandWord word, const char* upperCommandLine);
