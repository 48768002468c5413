// Controls for the tests: only test code includes this header. They reach
// into the layer to hold keys, make calls fail, record the call sequence,
// count live objects and read what is on the surfaces and the screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace layer::test {

// ---- Call record and failure injection (call_log.cpp) ----------------------
struct RecordedCall {
    std::string operation;  // the platform's name, e.g. "Release", "GetDC"
    const void* object;     // interface or handle it was called on, or null
};

// The nth matching call from now on (1 = the next one) fails, and so do the
// count - 1 matching calls after it (count < 0: every one from then on).
// object, when not null, limits the rule to calls on that object.
void FailCall(const char* operation, int nth = 1, int count = 1, const void* object = nullptr);
void ClearFailures();
void StartRecording();
std::vector<RecordedCall> StopRecording();
const std::vector<RecordedCall>& RecordedCalls();

}  // namespace layer::test
