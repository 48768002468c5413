#include "platform/layer/call_log.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/layer/test_controls.h"

namespace layer {
namespace {

struct FailureRule {
    std::string operation;
    const void* object;  // null: any object
    int skip;            // matching calls still to pass before failing
    int count;           // failures still to give; negative: for ever
};

struct CallLogState {
    bool recording = false;
    std::vector<test::RecordedCall> calls;
    std::vector<FailureRule> rules;
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
