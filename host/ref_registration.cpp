#include "host/ref_registration.h"

#include "host/call_log.h"
#include "host/op_table.h"
#include "host_api/host_ops.h"

namespace {

int OpAddExtension(HostRegistration* self, TextPair* extension) {
    HostCallLog().push_back({"registration", "AddExtension", kSlotAddExtension, 0});
    auto* registration = reinterpret_cast<RefRegistration*>(self);
    ++registration->addExtensionCalls;
    if (extension != nullptr) {
        registration->extension = *extension;
    }
    return registration->addExtensionAnswer;
}

const HostOp* RegistrationOps() {
    static const HostOpTable table = [] {
        HostOpTable t = MakeTrapTable(kTrapRegistration);
        SetOp(t, kSlotAddExtension, &OpAddExtension);
        return t;
    }();
    return table.data();
}

}  // namespace

void RefRegistrationInit(RefRegistration* registration) {
    *registration = RefRegistration{};
    registration->record.ops = RegistrationOps();
    registration->addExtensionAnswer = 1;
}
