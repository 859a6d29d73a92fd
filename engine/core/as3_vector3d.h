// flash.geom's three-dimensional classes: Vector3D's object, shared with Matrix3D, which takes and
// returns such vectors.
#pragma once

#include "engine/core/as3_native.h"

namespace swf {

class Vector3DObject : public avm2::Object {
public:
    Vector3DObject() : avm2::Object(avm2::ObjectType::Other) {}
    double x = 0, y = 0, z = 0, w = 0;
};

// The Vector3D `v` (a TypeError when it is null or no Vector3D).
Vector3DObject* asVector3D(avm2::Machine& m, const avm2::Value& v, avm2::ClassObject* vector3DClass);
avm2::Value makeVector3D(avm2::Machine& m, avm2::ClassObject* vector3DClass, double x, double y, double z, double w);

// Defines flash.geom.Matrix3D, once Vector3D is.
void installMatrix3D(avm2::Machine& m, avm2::ClassObject* vector3DClass);

}  // namespace swf
