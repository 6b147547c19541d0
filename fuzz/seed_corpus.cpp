// Writes the seed corpora of the import and export fuzzers into the two
// directories given. Import seeds: a frame choice byte, then the MD2 files the
// tests build and the files exported from the tests' scenes. Export seeds:
// the tests' scenes (the arm rig, a small generated rig, the demo scene) in
// the export fuzzer's byte form, with each scripted user and with the
// animation list present but empty.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/export_command.h"
#include "export/export_settings.h"
#include "fuzz/scene_bytes.h"
#include "host/demo_scene.h"
#include "support/md2_builder.h"
#include "support/rig_builder.h"

namespace {

std::vector<std::uint8_t> ExportedFile(RefScene* ref, const std::filesystem::path& path) {
    RefSetFilePath(ref, path.string());
    ExportSettings settings = DefaultExportSettings();
    if (WriteExportFile(RefSceneHost(ref), &settings) != 1) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IMPORT-DIRECTORY EXPORT-DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::filesystem::path importDir = argv[1];
    const std::filesystem::path exportDir = argv[2];
    int written = 0;
    auto write = [&](const std::filesystem::path& dir, const std::vector<std::uint8_t>& bytes) {
        if (!WriteBinaryFile(dir / ("seed-" + std::to_string(written++)), bytes)) {
            std::fprintf(stderr, "cannot write into %s\n", dir.c_str());
            std::exit(1);
        }
    };
    const std::filesystem::path scratch = MakeScratchDirectory("fuzz-seeds");

    std::vector<RefScene*> scenes = {BuildArmRig(), BuildLargeRig({40, 4, 2, 3, 30, 0.5f}),
                                     BuildDemoScene(scratch.string())};
    std::vector<std::vector<std::uint8_t>> files;
    const int shapes[][4] = {{0, 3, 1, 1}, {1, 0, 2, 3}, {3, 5, 4, 3}, {2, 40, 30, 8}, {0, 1, 1, 20}};
    for (const auto& shape : shapes) {
        files.push_back(BuildMd2File(MakeSampleMd2Model(shape[0], shape[1], shape[2], shape[3])));
    }

    for (RefScene* scene : scenes) {
        for (std::uint8_t script = 0; script < 6; ++script) {
            write(exportDir, SceneBytes(RefSceneHost(scene), {0, script, 256, 256}));
        }
        write(exportDir, SceneBytes(RefSceneHost(scene), {0x40, 0, 64, 32}));
    }
    // A scene of one triangle without bones and with an empty animation list.
    RefScene* triangle = RefSceneCreate();
    RefAddVertex(triangle, 0, 0, 0);
    RefAddVertex(triangle, 1, 0, 0);
    RefAddVertex(triangle, 0, 1, 0);
    RefAddMaterial(triangle, "skin", "C:/models/");
    RefAddGroup(triangle, "g");
    RefAddFace(triangle, 0, {0, 1, 2});
    write(exportDir, SceneBytes(RefSceneHost(triangle), {0x40, 2, 256, 256}));
    scenes.push_back(triangle);

    for (RefScene* scene : scenes) {
        files.push_back(ExportedFile(scene, scratch / "seed.md2"));
        RefSceneDestroy(scene);
    }
    for (const std::vector<std::uint8_t>& file : files) {
        for (std::uint8_t frame : {0, 1, 7, 255}) {
            std::vector<std::uint8_t> seed{frame};
            seed.insert(seed.end(), file.begin(), file.end());
            write(importDir, seed);
        }
    }
    std::filesystem::remove_all(scratch);
    std::printf("%d seeds\n", written);
    return 0;
}
