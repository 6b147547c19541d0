#include "md2tool/player_icon.h"

#include <algorithm>
#include <filesystem>

#include "md2tool/md2_tool_cli.h"
#include "md2tool/preview_command.h"
#include "md2tool/preview_render.h"
#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

namespace {

constexpr int kDrawn = 128;
constexpr int kBlock = kDrawn / kPlayerIconSize;

bool IsBackground(const std::uint8_t* p) {
    return p[0] == kPreviewBackground[0] && p[1] == kPreviewBackground[1] && p[2] == kPreviewBackground[2];
}

}  // namespace

bool DrawPlayerIcon(const std::string& modelPath, const std::string& skinPath, IndexedImage* icon, std::string* error) {
    const std::string png = modelPath + ".icon.png";
    const std::string size = std::to_string(kDrawn) + "x" + std::to_string(kDrawn + kPreviewLabelHeight);
    ToolOutput output;
    RgbaImage sheet;
    const bool drawn = RunPreviewCommand({"preview", modelPath, "-o", png, "--frames", "0-0", "--skin", skinPath,
                                          "--size", size},
                                         &output) == kToolOk &&
                       LoadSkinImage(png, &sheet, error);
    std::error_code ignored;
    std::filesystem::remove(ToolPath(png), ignored);
    if (!drawn || sheet.width != kDrawn || sheet.height != kDrawn + kPreviewLabelHeight) {
        *error = "the icon could not be drawn: " + (output.err.empty() ? *error : output.err.substr(0, output.err.find('\n')));
        return false;
    }
    RgbaImage small;
    small.width = kPlayerIconSize;
    small.height = kPlayerIconSize;
    small.pixels.assign(kPlayerIconSize * kPlayerIconSize * 4, 0);
    for (int y = 0; y < kPlayerIconSize; ++y) {
        for (int x = 0; x < kPlayerIconSize; ++x) {
            int sum[3] = {0, 0, 0};
            int model = 0;
            for (int by = 0; by < kBlock; ++by) {
                for (int bx = 0; bx < kBlock; ++bx) {
                    const std::size_t row = static_cast<std::size_t>(kPreviewLabelHeight + y * kBlock + by);
                    const std::uint8_t* p = &sheet.pixels[(row * kDrawn + static_cast<std::size_t>(x * kBlock + bx)) * 4];
                    if (!IsBackground(p)) {
                        for (int c = 0; c < 3; ++c) {
                            sum[c] += p[c];
                        }
                        ++model;
                    }
                }
            }
            std::uint8_t* q = &small.pixels[static_cast<std::size_t>(y * kPlayerIconSize + x) * 4];
            if (2 * model >= kBlock * kBlock) {
                for (int c = 0; c < 3; ++c) {
                    q[c] = static_cast<std::uint8_t>((sum[c] + model / 2) / model);
                }
                q[3] = 255;
            }
        }
    }
    *icon = ToPaletteImage(small);
    return true;
}
