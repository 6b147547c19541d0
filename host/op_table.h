// Tables of operations for the reference host's objects. Every slot starts as
// a trap that records its object and position in the call log; the host then
// fills in the operations it offers.
#pragma once

#include <array>
#include <cstddef>

#include "host_api/host_records.h"

inline constexpr std::size_t kHostOpTableSize = 160;
using HostOpTable = std::array<HostOp, kHostOpTableSize>;

enum TrapObject { kTrapRegistration, kTrapScene, kTrapMesh, kTrapMaterial, kTrapAnimation };

// A table whose every slot traps for the given object.
HostOpTable MakeTrapTable(TrapObject object);

template <typename Function>
void SetOp(HostOpTable& table, int slot, Function* function) {
    table[static_cast<std::size_t>(slot)] = reinterpret_cast<HostOp>(function);
}
