// The demo scene: a rigged and animated body built the way the modelling
// host would hold it, for exporting through the plug-in.
#pragma once

#include <string>

#include "host/ref_scene.h"

// A column of four segments standing on the host's ground plane (host +y is
// up), 1 wide and 4 high: five square rings of four vertices, side faces as
// quads and a quad cap at each end, in one group "body" with one material
// "skin". Three bones stand in a chain along +y (at heights 0, 1.5 and 3);
// each ring is bound to the bone below it, the middle ring half to each of
// two. Two animations:
//   "sway"            10 frames per time unit, time range 0 to 1.2: the
//                     middle bone bends about z and back (12 frames);
//   "twisting_around" the default rate (0, that is 30), time range 0 to 0.5:
//                     the top bone turns about y while the root rises
//                     (15 frames; its name is longer than the format allows).
// The skin's image is written as DIRECTORY/demo_skin.tga, 128 x 64 pixels,
// 24-bit uncompressed; the material's texture names it. Null when the image
// cannot be written.
RefScene* BuildDemoScene(const std::string& directory);

// Where BuildDemoScene writes the skin image in `directory`.
std::string DemoSkinPath(const std::string& directory);
