// The plug-in's entry points behind the two exported functions, and the
// request function whose address registration hands to the host.
#pragma once

#include <cstdint>

#include "host_api/host_records.h"
#include "host_api/host_requests.h"

inline constexpr int kPluginVersionNumber = 3605;

// The plug-in's identity as registered with the host.
inline constexpr std::uint32_t kPluginIdentifier[4] = {0x04AD1457u, 0x4A02B3F0u, 0xCF7F7499u, 0x5EBBD2B4u};
inline constexpr char16_t kPluginDescription[] = u"Quake 2 MD2 Importer/Exporter\r\n";
inline constexpr char16_t kPluginVersionText[] = u"3.50.30";
inline constexpr char16_t kPluginFileFilter[] = u"Quake 2 files (*.md2)";
inline constexpr char16_t kPluginExtension[] = u"md2";

int HandlePluginProc(std::uint32_t message, HostRegistration* registration, void* instance);

int PluginCallback(std::uint32_t request, HostScene* scene, void* instance, std::intptr_t extra);
