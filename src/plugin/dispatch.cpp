// Routing of the host's requests to the reader, the importer and the
// exporter, each handed the state the host's protocol keeps between requests.
#include "export/export_command.h"
#include "import/import_options.h"
#include "import/read_request.h"
#include "plugin/plugin_entry.h"
#include "plugin/plugin_state.h"

int PluginCallback(std::uint32_t request, HostScene* scene, void* instance, std::intptr_t) {
    bool needsInstance = request == kRequestImportOptions || request == kRequestExportOptions;
    bool known = request == kRequestRead || request == kRequestWrite || needsInstance;
    if (!known || scene == nullptr || (needsInstance && instance == nullptr)) {
        return kAnswerFailed;
    }
    switch (request) {
        case kRequestRead:
            return LoadMd2File(scene, CurrentImport());
        case kRequestWrite:
            return WriteExportFile(scene, CurrentExportSettings());
        case kRequestImportOptions:
            return ImportOptions(scene, instance, CurrentImport());
        default:
            return ExportOptions(scene, instance, RegistrationInstance(), CurrentExportSettings());
    }
}
