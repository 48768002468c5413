// What the kernel part of the layer offers the test controls. Internal.
#pragma once

#include "platform/layer/windows.h"

#include <cstdint>
#include <string>
#include <vector>

namespace layer {

// ---- Resources (kernel_resources.cpp) ----------------------------------------------
// A test's resource, shadowing any of that name and type until ResetLayer.
void AddTestResource(LPCSTR name, LPCSTR type, std::vector<uint8_t> data);
// Hides the resource of that name and type until ResetLayer.
void HideResource(LPCSTR name, LPCSTR type);
// Forgets the tests' resources and shows the module's own ones again.
void ResetTestResources();

// ---- Files (kernel_files.cpp) --------------------------------------------------------
void CloseOpenFiles();

// ---- Debugger output (debug_output.cpp) --------------------------------------------
std::string TakeCapturedDebugOutput();

}  // namespace layer
