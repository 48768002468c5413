// The running module: its handle and its resources, looked up by name or
// integer id as the platform does.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/kernel/kernel_internal.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

namespace layer {
namespace {

// The module's handle, the address a 32-bit executable was loaded at.
const HMODULE MODULE_HANDLE = reinterpret_cast<HMODULE>(uintptr_t{0x00400000});

// A resource name or type: an integer id, or a string compared without
// regard to case. "#123" means the id 123, as on the platform.
struct ResourceKey {
    bool isId = false;
    WORD id = 0;
    std::string text;

    static ResourceKey From(LPCSTR name)
    {
        ResourceKey key;
        if (IS_INTRESOURCE(name)) {
            key.isId = true;
            key.id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
            return key;
        }
        if (name[0] == '#' && name[1] != '\0') {
            char* end = nullptr;
            const unsigned long id = std::strtoul(name + 1, &end, 10);
            if (*end == '\0' && id <= 0xFFFF) {
                key.isId = true;
                key.id = static_cast<WORD>(id);
                return key;
            }
        }
        key.text = name;
        return key;
    }

    bool Matches(const ResourceKey& other) const
    {
        if (isId != other.isId)
            return false;
        return isId ? id == other.id : strcasecmp(text.c_str(), other.text.c_str()) == 0;
    }
};

struct Resource {
    ResourceKey name;
    ResourceKey type;
    const uint8_t* data;
    size_t size;
    std::vector<uint8_t> copy;  // a test's resource owns its bytes
    bool fromTest;
};

// Searched newest first, so a test's resources shadow the module's own ones.
std::vector<std::unique_ptr<Resource>>& Resources()
{
    static std::vector<std::unique_ptr<Resource>> resources;
    return resources;
}

const uint8_t EMPTY_RESOURCE[1] = {0};

const Resource* Lookup(LPCSTR name, LPCSTR type)
{
    const ResourceKey nameKey = ResourceKey::From(name);
    const ResourceKey typeKey = ResourceKey::From(type);
    std::vector<std::unique_ptr<Resource>>& resources = Resources();
    for (auto it = resources.rbegin(); it != resources.rend(); ++it) {
        if ((*it)->name.Matches(nameKey) && (*it)->type.Matches(typeKey))
            return it->get();
    }
    return nullptr;
}

const Resource* FromHandle(HRSRC handle)
{
    for (const std::unique_ptr<Resource>& resource : Resources()) {
        if (reinterpret_cast<HRSRC>(resource.get()) == handle)
            return resource.get();
    }
    return nullptr;
}

bool OurModule(HMODULE module)
{
    return module == nullptr || module == MODULE_HANDLE;
}

}  // namespace

void RegisterModuleResource(LPCSTR name, LPCSTR type, const void* data, size_t size)
{
    if (name == nullptr || type == nullptr || (data == nullptr && size != 0))
        return;
    auto resource = std::make_unique<Resource>();
    resource->name = ResourceKey::From(name);
    resource->type = ResourceKey::From(type);
    resource->data = data != nullptr ? static_cast<const uint8_t*>(data) : EMPTY_RESOURCE;
    resource->size = size;
    resource->fromTest = false;
    Resources().push_back(std::move(resource));
}

bool FindModuleResource(LPCSTR name, LPCSTR type, const uint8_t** data, size_t* size)
{
    if (name == nullptr || type == nullptr)
        return false;
    const Resource* resource = Lookup(name, type);
    if (resource == nullptr)
        return false;
    if (data != nullptr)
        *data = resource->data;
    if (size != nullptr)
        *size = resource->size;
    return true;
}

void AddTestResource(LPCSTR name, LPCSTR type, std::vector<uint8_t> data)
{
    if (name == nullptr || type == nullptr)
        return;
    auto resource = std::make_unique<Resource>();
    resource->name = ResourceKey::From(name);
    resource->type = ResourceKey::From(type);
    resource->copy = std::move(data);
    resource->data = resource->copy.empty() ? EMPTY_RESOURCE : resource->copy.data();
    resource->size = resource->copy.size();
    resource->fromTest = true;
    Resources().push_back(std::move(resource));
}

void ResetTestResources()
{
    std::erase_if(
        Resources(), [](const std::unique_ptr<Resource>& resource) { return resource->fromTest; });
}

}  // namespace layer

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (!layer::BeginCall("GetModuleHandleA"))
        return nullptr;
    // Only the running module is known, and only by the null name.
    return name == nullptr ? layer::MODULE_HANDLE : nullptr;
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (!layer::BeginCall("FindResourceA", module))
        return nullptr;
    if (!layer::OurModule(module)) {
        layer::Refuse("FindResourceA", "only the running module's resources are served");
        return nullptr;
    }
    if (name == nullptr || type == nullptr)
        return nullptr;
    return reinterpret_cast<HRSRC>(const_cast<layer::Resource*>(layer::Lookup(name, type)));
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource)
{
    if (!layer::BeginCall("LoadResource", module))
        return nullptr;
    const layer::Resource* found = layer::FromHandle(resource);
    if (!layer::OurModule(module) || found == nullptr)
        return nullptr;
    // As on the platform since 32-bit Windows: the handle is the address.
    return const_cast<uint8_t*>(found->data);
}

LPVOID WINAPI LockResource(HGLOBAL data)
{
    if (!layer::BeginCall("LockResource", data))
        return nullptr;
    return data;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource)
{
    if (!layer::BeginCall("SizeofResource", module))
        return 0;
    const layer::Resource* found = layer::FromHandle(resource);
    if (!layer::OurModule(module) || found == nullptr)
        return 0;
    return static_cast<DWORD>(found->size);
}
