#include "plugin/plugin_state.h"

namespace {

void* registrationInstance = nullptr;
constinit ExportSettings exportSettings = DefaultExportSettings();

// Whatever the record still holds when the library unloads is released then.
struct KeptImport {
    ImportRecord record;
    ~KeptImport() { ReleaseImportRecord(&record); }
} keptImport;

}  // namespace

void* RegistrationInstance() { return registrationInstance; }
void SetRegistrationInstance(void* instance) { registrationInstance = instance; }

ImportRecord* CurrentImport() { return &keptImport.record; }

ExportSettings* CurrentExportSettings() { return &exportSettings; }
void ResetExportSettings() { exportSettings = DefaultExportSettings(); }
