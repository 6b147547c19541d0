// The messages and requests the host sends the plug-in, and the answers the
// requests give.
#pragma once

#include <cstdint>

// Messages of PluginProc.
inline constexpr std::uint32_t kMessageRegister = 0x10015;
inline constexpr std::uint32_t kMessageVersionQuery = 0x10016;

// Requests of PluginCallback.
inline constexpr std::uint32_t kRequestRead = 0x10017;
inline constexpr std::uint32_t kRequestWrite = 0x10018;
inline constexpr std::uint32_t kRequestImportOptions = 0x1001E;
inline constexpr std::uint32_t kRequestExportOptions = 0x1001F;

// What a request answers. The read request answers kAnswerNotMd2 for a file
// of another format; the requests with dialogs answer kAnswerCancelled when
// the user cancels or a check refuses.
enum RequestAnswer : int {
    kAnswerFailed = 0,
    kAnswerDone = 1,
    kAnswerCancelled = 2,
    kAnswerNotMd2 = 3,
};
