#include "plugin/plugin_state.h"

namespace {

void* registrationInstance = nullptr;
constinit ExportSettings exportSettings = DefaultExportSettings();

// Whatever the model still holds when the library unloads is released then.
struct LoadedModel {
    Md2Model model;
    ~LoadedModel() { ReleaseMd2Model(&model); }
} loadedModel;

}  // namespace

void* RegistrationInstance() { return registrationInstance; }
void SetRegistrationInstance(void* instance) { registrationInstance = instance; }

Md2Model* CurrentMd2Model() { return &loadedModel.model; }

ExportSettings* CurrentExportSettings() { return &exportSettings; }
void ResetExportSettings() { exportSettings = DefaultExportSettings(); }
