#include "md2/md2_model.h"

#include "md2/md2_bytes.h"

void ReleaseMd2Model(Md2Model* model) {
    delete[] model->frames;
    delete[] model->skins;
    delete[] model->texCoords;
    delete[] model->triangles;
    DeleteMd2Bytes(model->bytes, model->byteCount);
    *model = Md2Model{};
}
