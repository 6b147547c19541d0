// Runs the MD2 parser on arbitrary bytes. Every input must answer 0, 1 or 3,
// leave the model empty after a failure and consistent after a success.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "import/read_request.h"
#include "import/skin_names.h"
#include "md2/md2_frame_positions.h"
#include "md2/md2_model.h"
#include "md2/md2_parse.h"
#include "util/text.h"

namespace {

volatile float gSink;

// Walks everything a successful read left in the model, every frame's
// positions decoded from its vertex records, so that an array shorter than
// its count is a sanitizer report here.
bool ModelIsConsistent(const Md2Model& model) {
    float sum = 0;
    std::vector<Md2Position> positions;
    for (int f = 0; f < model.frameCount; ++f) {
        const Md2Frame& frame = model.frames[f];
        if (frame.vertexCount < 0 || (frame.vertexCount > 0) != (frame.vertices != nullptr) ||
            std::memchr(frame.name, 0, sizeof frame.name) == nullptr) {
            return false;
        }
        positions.resize(static_cast<std::size_t>(frame.vertexCount));
        DecodeMd2FramePositions(frame, positions.data());
        for (const Md2Position& p : positions) {
            sum += p.x + p.y + p.z;
        }
    }
    for (int i = 0; i < model.skinCount; ++i) {
        char16_t name[kTextPairUnits];
        SkinFileName(model.skins[i], name);
        if (name[0] == 0 || U16Length(name, kTextPairUnits) == kTextPairUnits) {
            return false;
        }
    }
    for (int i = 0; i < model.texCoordCount; ++i) {
        sum += model.texCoords[i].u + model.texCoords[i].v;
    }
    for (int i = 0; i < model.triangleCount; ++i) {
        if (model.triangles[i].cornerCount != 3) {
            return false;
        }
    }
    gSink = sum;
    return model.frameCount > 0 && model.triangleCount > 0 && model.texCoordCount > 0;
}

bool ModelIsEmpty(const Md2Model& model) {
    return model.frameCount == 0 && model.frames == nullptr && model.skinCount == 0 && model.skins == nullptr &&
           model.texCoordCount == 0 && model.texCoords == nullptr && model.triangleCount == 0 &&
           model.triangles == nullptr && model.bytes == nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 0x80000000u) {
        return -1;
    }
    static HostScene* scene = new HostScene();
    ReadCursor cursor{data, 0, static_cast<std::uint32_t>(size)};
    Md2Model model{};
    int answer = ReadAnswer(ParseMd2(&cursor, &model), &scene->errorText);
    bool sound = answer == 1 ? ModelIsConsistent(model) : (answer == 0 || answer == 3) && ModelIsEmpty(model);
    if (!sound) {
        std::abort();
    }
    ReleaseMd2Model(&model);
    return 0;
}
