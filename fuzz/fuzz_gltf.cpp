// corvane-md2 gltf on arbitrary bytes, into memory: every file the command
// would convert gives a .glb of exactly the length it announced, whose JSON
// chunk is valid JSON in valid UTF-8, the same bytes on a second run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "md2tool/frame_choice.h"
#include "md2tool/gltf_writer.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/tool_model.h"

namespace {

// A running sum of the bytes made, so that two runs can be compared
// without holding either.
struct Made {
    std::uint64_t bytes = 0;
    std::uint64_t sum = 0;
};

Made Make(const Md2Model& model, const GltfOptions& options, const GltfDocument& document) {
    Made made;
    const bool whole = PutGlb(model, options, document, [&made](std::span<const std::uint8_t> piece) {
        for (const std::uint8_t byte : piece) {
            made.sum = made.sum * 1099511628211u + byte + 1;
        }
        made.bytes += piece.size();
        return true;
    });
    if (!whole) {
        std::abort();
    }
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Md2FileView view;
    Md2Model model;
    std::string error;
    if (!OpenMd2View(data, size, &view, &error) || !LoadModelForTool(data, size, &model, &error)) {
        return 0;
    }
    GltfOptions options;
    GltfDocument document;
    if (GltfModelUsable(view) && SelectFrames(model, "all", &options.frames, &error) &&
        PlanGltf(view, model, {}, options, &document, &error)) {
        const Made first = Make(model, options, document);
        const Made second = Make(model, options, document);
        // nlohmann's reader takes valid JSON in valid UTF-8 only.
        if (!nlohmann::json::accept(document.json) || first.bytes != GlbBytes(document) ||
            first.bytes != second.bytes || first.sum != second.sum) {
            std::abort();
        }
    }
    ReleaseToolModel(&model);
    return 0;
}
