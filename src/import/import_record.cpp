#include "import/import_record.h"

void ReleaseImportRecord(ImportRecord* record) {
    ReleaseMd2Model(&record->model);
    PlatformUnmapFile(&record->file);
    *record = ImportRecord{};
}
