// Loading the plug-in binary and registering it, byte for byte as the host
// sees the record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/call_log.h"
#include "host/host_session.h"
#include "host/registration_check.h"
#include "support/test_env.h"

namespace {

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ClearHostCallLog();
        std::string error;
        ASSERT_TRUE(OpenSession(TestPluginPath(), &session_, &error)) << error;
    }
    void TearDown() override {
        EXPECT_TRUE(HostTrapCalls().empty()) << "the plug-in called an operation outside the interface";
        CloseSession(&session_);
    }

    const unsigned char* Bytes() const {
        return reinterpret_cast<const unsigned char*>(&session_.registration.record);
    }

    // The text pair at `offset` of the record: UTF-16 text then 8-bit copy.
    void ExpectTextPairAt(std::size_t offset, const std::string& text) const {
        const unsigned char* pair = Bytes() + offset;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            unsigned expected = i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
            EXPECT_EQ(pair[2 * i] | (pair[2 * i + 1] << 8), expected) << "UTF-16 unit " << i << " at " << offset;
            EXPECT_EQ(pair[520 + i], expected) << "8-bit byte " << i << " at " << offset;
        }
    }

    HostSession session_{};
};

}  // namespace

TEST_F(Registration, RecordHoldsIdentityWordsCallbackAndTexts) {
    EXPECT_EQ(session_.versionAnswer, 3605);
    EXPECT_EQ(session_.registerAnswer, 1);

    const unsigned char identifier[16] = {0x57, 0x14, 0xAD, 0x04, 0xF0, 0xB3, 0x02, 0x4A,
                                          0x99, 0x74, 0x7F, 0xCF, 0xB4, 0xD2, 0xBB, 0x5E};
    EXPECT_EQ(std::memcmp(Bytes() + 8, identifier, 16), 0);
    const unsigned char words[8] = {3, 0, 0, 0, 6, 0, 0, 0};
    EXPECT_EQ(std::memcmp(Bytes() + 24, words, 8), 0);

    void* callback = nullptr;
    std::memcpy(&callback, Bytes() + 40, sizeof(callback));
    EXPECT_NE(callback, nullptr);

    ExpectTextPairAt(48, "Quake 2 MD2 Importer/Exporter\r\n");
    ExpectTextPairAt(828, "3.50.30");
    ExpectTextPairAt(1608, "Quake 2 files (*.md2)");
    EXPECT_TRUE(CheckRegistration(session_.registration).empty());
}

TEST_F(Registration, ExtensionMd2IsRegisteredInBothHalves) {
    EXPECT_EQ(session_.registration.addExtensionCalls, 1);
    EXPECT_EQ(std::u16string(session_.registration.extension.wide), u"md2");
    EXPECT_STREQ(session_.registration.extension.narrow, "md2");
}

TEST_F(Registration, VersionQueryAndOtherMessagesIgnoreTheirArguments) {
    EXPECT_EQ(session_.proc(0x10016, nullptr, nullptr), 3605);
    EXPECT_EQ(session_.proc(0x10016, &session_.registration.record, session_.module), 3605);
    EXPECT_EQ(session_.proc(0x10099, nullptr, nullptr), 1);
    EXPECT_EQ(session_.proc(0, &session_.registration.record, nullptr), 1);
}

TEST_F(Registration, RegisterWithoutInstanceOrRecordWritesNothing) {
    RefRegistration fresh;
    RefRegistrationInit(&fresh);
    RefRegistration before = fresh;
    EXPECT_EQ(session_.proc(0x10015, &fresh.record, nullptr), 0);
    EXPECT_EQ(std::memcmp(&fresh, &before, sizeof(fresh)), 0);
    EXPECT_EQ(session_.proc(0x10015, nullptr, session_.module), 0);
}

TEST_F(Registration, HostRefusingTheExtensionMakesRegistrationFail) {
    RefRegistration refusing;
    RefRegistrationInit(&refusing);
    refusing.addExtensionAnswer = 0;
    EXPECT_EQ(session_.proc(0x10015, &refusing.record, session_.module), 0);
    EXPECT_EQ(refusing.addExtensionCalls, 1);
}

TEST_F(Registration, UnknownRequestsAndMissingPointersAnswerZero) {
    RefScene* scene = RefSceneCreate();
    EXPECT_EQ(SendRequest(&session_, 0x10020, scene), 0);
    EXPECT_EQ(SendRequest(&session_, kRequestRead, nullptr), 0);
    PluginCallbackFunction callback = RegisteredCallback(&session_);
    EXPECT_EQ(callback(kRequestImportOptions, RefSceneHost(scene), nullptr, 0), 0);
    EXPECT_EQ(callback(kRequestExportOptions, RefSceneHost(scene), nullptr, 0), 0);
    RefSceneDestroy(scene);
}
