#include "md2/md2_model.h"

#include "util/large_buffer.h"

void ReleaseMd2Model(Md2Model* model) {
    delete[] model->frames;
    delete[] model->skins;
    delete[] model->texCoords;
    delete[] model->triangles;
    DeleteLargeBuffer(model->bytes, model->byteCount);
    *model = Md2Model{};
}
