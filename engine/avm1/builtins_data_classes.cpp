// The classes movies use for data and for the player's services, installed together.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

void installDataClasses(Machine& m) {
    installXml(m);
    installExternalInterface(m);
    installContextMenu(m);
    installPrintJob(m);
    installTextSnapshot(m);
    installSystemSecurity(m);
    installFileReference(m);
    installLoadVars(m);
    installSharedObject(m);
}

}  // namespace swf::avm1
