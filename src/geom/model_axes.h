// The model's axes against the host's: the model's z axis is the host's y
// axis and the model's y axis is the host's -z axis, x is shared. Both
// directions are quarter turns about x; nothing is mirrored.
#pragma once

#include "geom/matrix4.h"
#include "geom/vector3.h"

// (x, y, z) -> (x, z, -y). out may be p.
void ModelToHostPoint(const Vector3& p, Vector3* out);
// (x, y, z) -> (x, -z, y). out may be p.
void HostToModelPoint(const Vector3& p, Vector3* out);

// The point mapping applied on the output side of a matrix (rows shuffled
// whole, translation included); its input side keeps its meaning.
void ModelToHostMatrix(const Matrix4& m, Matrix4* out);
void HostToModelMatrix(const Matrix4& m, Matrix4* out);
