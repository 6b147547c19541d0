// Turning a whole host scene between the model's axes and the host's
// (geom/model_axes.h).
#pragma once

#include "host_api/host_records.h"

// Turns the whole scene in place: bone global matrices, with the local
// matrices and local translation, rotation and scale derived again from them;
// vertex positions; both kinds of placed items. Any target other than
// kToModelAxes converts from model to host. A null scene is left alone.
enum AxisTarget : int { kToModelAxes = 0, kToHostAxes = 1 };
void ConvertSceneAxes(HostScene* scene, AxisTarget target);
