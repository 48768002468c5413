// What the kernel part of the layer offers the rest of the layer: the running
// module's resources (for LoadImageA and the embedded resource tables) and
// what the test controls reach in through.
//
// kernel/ holds the process entry that calls WinMain, the module and its
// resources, the legacy file calls and the debugger output. It includes
// include/ and calls/ only.
#pragma once

#include "platform/layer/include/windows.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace layer {

// ---- Resources (module_resources.cpp) ----------------------------------------------
// name and type are strings or integer ids (MAKEINTRESOURCE); string names
// compare case-insensitively, as on the platform. data must stay valid for
// the life of the process (embedded resources) - the test control copies.
void RegisterModuleResource(LPCSTR name, LPCSTR type, const void* data, size_t size);

// The bytes of a resource of the running module, or false when none.
bool FindModuleResource(LPCSTR name, LPCSTR type, const uint8_t** data, size_t* size);

// A test's resource, shadowing any of that name and type until ResetLayer.
void AddTestResource(LPCSTR name, LPCSTR type, std::vector<uint8_t> data);
// Forgets the tests' resources and shows the module's own ones again.
void ResetTestResources();

// ---- Files (files.cpp) ---------------------------------------------------------------
void CloseOpenFiles();
// A named file opened for reading, or -1. Anything but a regular file (a
// directory, a FIFO, a device) is refused at once with one line for
// `operation`, never waited on; a missing file is the ordinary -1, no line.
int OpenRegularFile(const char* path, const char* operation);

// ---- Debugger output (debug_output.cpp) --------------------------------------------
std::string TakeCapturedDebugOutput();

}  // namespace layer
