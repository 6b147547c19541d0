#include "md2/md2_model.h"

void ReleaseMd2Model(Md2Model* model) {
    if (model->frames != nullptr) {
        for (int i = 0; i < model->frameCount; ++i) {
            delete[] model->frames[i].positions;
        }
    }
    delete[] model->frames;
    delete[] model->skins;
    delete[] model->texCoords;
    delete[] model->triangles;
    *model = Md2Model{};
}
