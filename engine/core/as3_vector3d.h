// flash.geom.Vector3D's object, for the classes that take and return such vectors.
#pragma once

#include "engine/avm2/machine.h"

namespace swf {

class Vector3DObject : public avm2::Object {
public:
    Vector3DObject() : avm2::Object(avm2::ObjectType::Other) {}
    double x = 0, y = 0, z = 0, w = 0;
};

// The Vector3D `v` (a TypeError when it is null or no Vector3D).
Vector3DObject* asVector3D(avm2::Machine& m, const avm2::Value& v, avm2::ClassObject* vector3DClass);
avm2::Value makeVector3D(avm2::Machine& m, avm2::ClassObject* vector3DClass, double x, double y, double z, double w);

}  // namespace swf
