// Conversion between the model's axes and the host's: the model's z axis is
// the host's y axis and the model's y axis is the host's -z axis, x is shared.
// Both directions are quarter turns about x; nothing is mirrored.
#pragma once

#include "geom/matrix4.h"
#include "geom/vector3.h"
#include "plugin/host_records.h"

// (x, y, z) -> (x, z, -y). out may be p.
void ModelToHostPoint(const Vector3& p, Vector3* out);
// (x, y, z) -> (x, -z, y). out may be p.
void HostToModelPoint(const Vector3& p, Vector3* out);

// The point mapping applied on the output side of a matrix (rows shuffled
// whole, translation included); its input side keeps its meaning.
void ModelToHostMatrix(const Matrix4& m, Matrix4* out);
void HostToModelMatrix(const Matrix4& m, Matrix4* out);

// Turns the whole scene in place: bone global matrices, with the local
// matrices and local translation, rotation and scale derived again from them;
// vertex positions; both kinds of placed items. Any non-zero toHost converts
// from model to host, 0 from host to model. A null scene is left alone.
void ConvertSceneAxes(HostScene* scene, int toHost);
