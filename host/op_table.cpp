#include "host/op_table.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "host/call_log.h"
#include "host/harness_coverage.h"

CORVANE_HARNESS_BEGIN

namespace {

const char* const kObjectNames[] = {"registration", "scene", "mesh", "material", "animation"};

// A trap answers zero (a null pointer or a failure) so that a plug-in that
// calls it does not go on with garbage, and the test reading the log fails.
template <int Object, std::size_t Slot>
std::intptr_t Trap() {
    HostCallLog().push_back({kObjectNames[Object], "trap", static_cast<int>(Slot), 0});
    return 0;
}

template <int Object, std::size_t... Slots>
HostOpTable TrapsFor(std::index_sequence<Slots...>) {
    return HostOpTable{reinterpret_cast<HostOp>(&Trap<Object, Slots>)...};
}

template <int Object>
HostOpTable TrapsFor() {
    return TrapsFor<Object>(std::make_index_sequence<kHostOpTableSize>());
}

}  // namespace

HostOpTable MakeTrapTable(TrapObject object) {
    switch (object) {
        case kTrapRegistration:
            return TrapsFor<kTrapRegistration>();
        case kTrapScene:
            return TrapsFor<kTrapScene>();
        case kTrapMesh:
            return TrapsFor<kTrapMesh>();
        case kTrapMaterial:
            return TrapsFor<kTrapMaterial>();
        default:
            return TrapsFor<kTrapAnimation>();
    }
}

std::vector<HostCall>& HostCallLog() {
    static std::vector<HostCall> log;
    return log;
}

void ClearHostCallLog() { HostCallLog().clear(); }

std::vector<HostCall> HostTrapCalls() {
    std::vector<HostCall> traps;
    for (const HostCall& call : HostCallLog()) {
        if (call.name == "trap") {
            traps.push_back(call);
        }
    }
    return traps;
}

int CountHostCalls(const std::string& name) {
    const auto& log = HostCallLog();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const HostCall& call) { return call.name == name; }));
}

CORVANE_HARNESS_END
