// flash.display's IGraphicsData classes and the names of path commands and windings, which
// Graphics.drawPath and drawGraphicsData take.
#pragma once

#include "engine/core/as3_native.h"

namespace swf {

void installGraphicsData(avm2::Machine& m);

}  // namespace swf
