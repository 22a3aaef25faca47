// The only way the program shows errors, notices and OK/Cancel questions. Both return IDOK or
// IDCANCEL. They may be called from any thread: a call from a worker is carried to the UI thread and
// the worker waits for the answer. The parameter block is guarded, so calls from several threads at
// once cannot mix their texts.
#pragma once

#include "MessageParameters.h"

#include <cstdint>
#include <string>

int MessageBoxById(uint32_t stringId, int32_t buttonStyle = 0, int32_t pairStyle = 2);
int MessageBoxText(const std::string& text, int32_t buttonStyle = 0, int32_t pairStyle = 2);

// The parameters of the last message shown (kept until the next one).
MessageParameters LastMessageParameters();
