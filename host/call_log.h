// What the plug-in asked of the reference host: every operation called, and
// every call of a slot the interface does not list (a trap).
#pragma once

#include <string>
#include <vector>

struct HostCall {
    std::string object;  // "scene", "mesh", "material", "animation", "registration"
    std::string name;    // the operation's name, or "trap"
    int slot;
    long long argument;  // the first integer argument where there is one
};

// The reference host's log, shared by every object it owns. Tests clear it,
// drive the plug-in and read it.
std::vector<HostCall>& HostCallLog();
void ClearHostCallLog();
// Calls of slots that are not part of the interface.
std::vector<HostCall> HostTrapCalls();
// How often an operation was called.
int CountHostCalls(const std::string& name);
