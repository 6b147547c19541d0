// Routing of host requests and the state the dispatch keeps.
#include <gtest/gtest.h>

#include "host/ref_registration.h"
#include "host/ref_scene.h"
#include "plugin/plugin_entry.h"
#include "plugin/plugin_state.h"

namespace {

int kInstanceToken = 0;
void* const kInstance = &kInstanceToken;

}  // namespace

TEST(Dispatch, RefusedRequestsAnswerZero) {
    RefScene* other = RefSceneCreate();
    EXPECT_EQ(PluginCallback(0x10019, RefSceneHost(other), kInstance, 0), 0);
    EXPECT_EQ(PluginCallback(kRequestImportOptions, RefSceneHost(other), nullptr, 0), 0);
    EXPECT_EQ(PluginCallback(kRequestExportOptions, RefSceneHost(other), nullptr, 0), 0);
    EXPECT_EQ(PluginCallback(kRequestRead, nullptr, kInstance, 0), 0);
    EXPECT_EQ(PluginCallback(kRequestImportOptions, nullptr, kInstance, 0), 0);
    RefSceneDestroy(other);
}

TEST(Dispatch, PluginProcAnswersVersionAndUnknownMessages) {
    EXPECT_EQ(HandlePluginProc(kMessageVersionQuery, nullptr, nullptr), 3605);
    EXPECT_EQ(HandlePluginProc(0x12345, nullptr, nullptr), 1);
    EXPECT_EQ(HandlePluginProc(0, nullptr, nullptr), 1);
}

TEST(Dispatch, RegistrationKeepsTheInstanceOnlyWhenItGetsThatFar) {
    EXPECT_EQ(HandlePluginProc(kMessageRegister, nullptr, kInstance), 0);
    EXPECT_NE(RegistrationInstance(), kInstance);
    RefRegistration registration;
    RefRegistrationInit(&registration);
    EXPECT_EQ(HandlePluginProc(kMessageRegister, &registration.record, kInstance), 1);
    EXPECT_EQ(RegistrationInstance(), kInstance);
    EXPECT_EQ(registration.record.callback, reinterpret_cast<void*>(&PluginCallback));
}
