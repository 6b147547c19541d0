#include "md2/md2_model.h"

namespace {

Md2Model gModel;

// Whatever the model still holds when the library unloads is released then.
struct ReleaseModelAtUnload {
    ~ReleaseModelAtUnload() { ReleaseMd2Model(); }
} gReleaseModelAtUnload;

}  // namespace

Md2Model* CurrentMd2Model() { return &gModel; }

void ReleaseMd2Model() {
    if (gModel.frames != nullptr) {
        for (int i = 0; i < gModel.frameCount; ++i) {
            delete[] gModel.frames[i].positions;
        }
    }
    delete[] gModel.frames;
    delete[] gModel.skins;
    delete[] gModel.texCoords;
    delete[] gModel.triangles;
    gModel = Md2Model{};
}
