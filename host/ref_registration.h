// The registration record the reference host hands to PluginProc, with the
// host's AddExtension behind it.
#pragma once

#include <string>

#include "host_api/host_records.h"

// The HostRegistration comes first, so the plug-in's pointer is this record.
struct RefRegistration {
    HostRegistration record;
    int addExtensionAnswer;  // what AddExtension answers (1 unless a test changes it)
    int addExtensionCalls;
    TextPair extension;      // the last extension registered
};

// A record with its table of operations and every other byte zero.
void RefRegistrationInit(RefRegistration* registration);

