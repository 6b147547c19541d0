// Large rigged scenes made to order: a tube of vertices skinned to a chain
// of bones, every bone keyed in every channel. The benchmark scene, the
// largest model the format's reference engine takes, is one of them; the
// corvane-host program offers it as the export source `bench`.
#pragma once

#include "host/ref_scene.h"

struct LargeRigSetup {
    int vertices = 2048;    // on a closed tube; the mesh has twice as many triangles
    int bones = 32;         // a chain along +y, each bone with a small rest twist about y
    int animations = 1;     // every bone keyed in every channel
    int keysPerChannel = 5; // spread evenly over the time range
    float frameRate = 30;
    float end = 1;          // end of every animation's time range (start 0)
};

// Every vertex carries two weights (the two bones nearest its height, summing
// to 1) and an outward host normal.
RefScene* BuildLargeRig(const LargeRigSetup& setup);

// The benchmark scene: `vertices` vertices (twice as many triangles), `bones`
// bones, 4 animations of `framesPerAnimation` frames at 30 frames a second,
// one skin material ("textures/skin.pcx").
RefScene* BuildBenchmarkScene(int vertices = 2048, int bones = 32, int framesPerAnimation = 128);
