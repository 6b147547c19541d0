// Imports through the plug-in binary as the host does, natively and under
// Wine: a session with the real plug-in, a fresh scene, and MD2 files made
// for the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_session.h"
#include "host/import_flow.h"
#include "support/md2_builder.h"
#include "support/transcript.h"

class PluginImportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the model as NAME.md2 in the test's folder; answers its path in
    // the host's form (a Windows path under Wine).
    std::string WriteModel(const Md2BuilderModel& model, const std::string& name);
    ImportRun Import(const std::string& path, const std::string& script,
                     const std::string& screenshotDirectory = std::string());
    // Sends the import-options request again on the same scene.
    int ImportOptionsAgain(const std::string& script);

    HostScene* Scene() { return RefSceneHost(scene_); }
    // What the user saw in the last run; valid until the next call.
    const Transcript& Seen() {
        seen_ = ParseTranscript(lastTranscript_);
        return seen_;
    }

    HostSession session_{};
    RefScene* scene_ = nullptr;
    std::string directory_;
    std::string lastTranscript_;
    Transcript seen_;
};

// Frame `frame` of a builder model, decoded the way a reader must: byte times
// scale plus translate, in single precision.
std::vector<float> DecodedPositions(const Md2BuilderModel& model, int frame);

// Host position i after the turn into the host's axes: (x, y, z) -> (x, z, -y).
void ExpectHostPositions(HostScene* scene, const std::vector<float>& model);
// Face i is triangle i with its winding reversed: corners (c, b, a) of the
// file's (a, b, c), each corner with its texture coordinate scaled by the
// reciprocal of the skin size.
void ExpectHostFaces(HostScene* scene, const Md2BuilderModel& model);
