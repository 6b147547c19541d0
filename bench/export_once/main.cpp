// One export of the benchmark scene and nothing else, so that the peak
// memory of an export can be read with /usr/bin/time -v:
//   corvane_export_once writer|literal|none FILE
// `none` builds the scene without exporting it: the baseline to subtract.
#include <cstdio>
#include <cstring>

#include "support/bench_scene.h"
#include "plugin/plugin_state.h"
#include "support/literal_export.h"
#include "export/export_command.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "writer") != 0 && std::strcmp(argv[1], "literal") != 0 &&
                      std::strcmp(argv[1], "none") != 0)) {
        std::fprintf(stderr, "usage: corvane_export_once writer|literal|none FILE\n");
        return 2;
    }
    RefScene* scene = BuildExportBenchScene(argv[2]);
    if (scene == nullptr) {
        return 1;
    }
    HostScene* host = RefSceneHost(scene);
    PrepareExport(host);
    bool written = true;
    if (std::strcmp(argv[1], "writer") == 0) {
        written = WriteExportFile(host, CurrentExportSettings()) == 1;
    } else if (std::strcmp(argv[1], "literal") == 0) {
        written = WriteLiteralExport(host);
    }
    RefSceneDestroy(scene);
    if (!written) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    return 0;
}
