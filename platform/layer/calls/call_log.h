// Every emulated platform call passes through here first: it is recorded for
// the tests that read the call sequence, and the test controls can make it
// fail. Also the layer's one way of refusing input on standard error.
//
// calls/ is the bottom of the layer: every other folder may include it, and
// it includes nothing of theirs. call_log.cpp implements the call controls
// that testing/test_controls.h declares, on the state it keeps.
#pragma once

namespace layer {

// Records the call; returns false when the test controls say this call fails.
// `operation` is the platform's name, e.g. "CreateSurface" or "GetDC";
// `object` is the interface or handle it was called on (null for functions).
bool BeginCall(const char* operation, const void* object = nullptr);

// One plain line on standard error for input the layer refuses, as the
// platform would log it: "layer: <operation>: <reason>".
void Refuse(const char* operation, const char* reason);

}  // namespace layer
