#include "platform/layer/calls/call_log.h"

#include "platform/layer/testing/test_controls.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace layer {
namespace {

struct FailureRule {
    std::string operation;
    const void* object;  // null: any object
    int skip;  // matching calls still to pass before failing
    int count;  // failures still to give; negative: for ever
};

struct CallLogState {
    bool recording = false;
    std::vector<test::RecordedCall> calls;
    std::vector<FailureRule> rules;
    std::map<std::string, std::function<void()>, std::less<>> hooks;
    bool inHook = false;
};

CallLogState& State()
{
    static CallLogState state;
    return state;
}

}  // namespace

bool BeginCall(const char* operation, const void* object)
{
    CallLogState& state = State();
    if (state.recording)
        state.calls.push_back({operation, object});
    // The calls a hook makes itself run no hooks, so a hook cannot recurse.
    if (!state.hooks.empty() && !state.inHook) {
        auto hook = state.hooks.find(std::string_view(operation));
        if (hook != state.hooks.end()) {
            // A copy: the hook may replace or remove itself.
            const std::function<void()> run = hook->second;
            state.inHook = true;
            run();
            state.inHook = false;
        }
    }
    for (FailureRule& rule : state.rules) {
        if (rule.count == 0 || rule.operation != operation)
            continue;
        if (rule.object != nullptr && rule.object != object)
            continue;
        if (rule.skip > 0) {
            --rule.skip;
            continue;
        }
        if (rule.count > 0)
            --rule.count;
        return false;
    }
    return true;
}

void Refuse(const char* operation, const char* reason)
{
    std::fprintf(stderr, "layer: %s: %s\n", operation, reason);
}

namespace test {

void FailCall(const char* operation, int nth, int count, const void* object)
{
    State().rules.push_back({operation, object, nth > 1 ? nth - 1 : 0, count});
}

void ClearFailures()
{
    State().rules.clear();
}

void OnCall(const char* operation, std::function<void()> hook)
{
    if (hook)
        State().hooks[operation] = std::move(hook);
    else
        State().hooks.erase(std::string(operation));
}

void ClearCallHooks()
{
    State().hooks.clear();
}

void StartRecording()
{
    State().calls.clear();
    State().recording = true;
}

std::vector<RecordedCall> StopRecording()
{
    State().recording = false;
    return std::move(State().calls);
}

const std::vector<RecordedCall>& RecordedCalls()
{
    return State().calls;
}

}  // namespace test
}  // namespace layer
