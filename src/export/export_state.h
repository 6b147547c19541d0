// Everything one export works with, from the write request's start to its
// answer: the scene and the settings it is written with, the threads it may
// use, and the pose working state. WriteExportFile owns the value and hands
// it to every step.
#pragma once

#include "anim/pose_state.h"
#include "export/export_settings.h"
#include "host_api/host_records.h"

struct ExportState {
    HostScene* scene;                // in the model's axes while the export runs
    const ExportSettings* settings;  // skin size, skin directory
    int frameWorkers;                // threads that evaluate the frames; 0: one per processor
                                     // for a large export
    PoseState pose;                  // bone poses, posed vertices, layouts
};
