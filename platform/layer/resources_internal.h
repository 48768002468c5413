// The running module's resources, as the kernel part of the layer serves
// them. Internal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/layer/windows.h"

namespace layer {

// name and type are strings or integer ids (MAKEINTRESOURCE); string names
// compare case-insensitively, as on the platform. data must stay valid for
// the life of the process (embedded resources) - the test control copies.
void RegisterModuleResource(LPCSTR name, LPCSTR type, const void* data, size_t size);

// The bytes of a resource of the running module, or false when none.
bool FindModuleResource(LPCSTR name, LPCSTR type, const uint8_t** data, size_t* size);

}  // namespace layer
