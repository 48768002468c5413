// The debugger output: standard error, and a copy the tests can take.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/kernel/kernel_internal.h"

#include <cstdio>
#include <string>

namespace layer {
namespace {

// A run that nobody reads the copy of keeps only its latest output.
constexpr size_t MAX_CAPTURED = 1 << 20;

std::string& Captured()
{
    static std::string captured;
    return captured;
}

}  // namespace

std::string TakeCapturedDebugOutput()
{
    std::string taken;
    taken.swap(Captured());
    return taken;
}

}  // namespace layer

void WINAPI OutputDebugStringA(LPCSTR text)
{
    if (!layer::BeginCall("OutputDebugStringA"))
        return;
    if (text == nullptr)
        return;
    std::fputs(text, stderr);
    std::string& captured = layer::Captured();
    captured += text;
    if (captured.size() > layer::MAX_CAPTURED)
        captured.erase(0, captured.size() - layer::MAX_CAPTURED);
}
