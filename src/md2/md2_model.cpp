#include "md2/md2_model.h"

void ReleaseMd2Model(Md2Model* model) {
    delete[] model->frames;
    delete[] model->skins;
    delete[] model->texCoords;
    delete[] model->triangles;
    delete[] model->bytes;
    *model = Md2Model{};
}
