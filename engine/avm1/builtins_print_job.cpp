// PrintJob: a saver has no printer dialog to show, so a job never starts; its page sizes stay 0.
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

Value construct(Machine&, Object* self, std::vector<Value>&) { return Value(self); }
Value refuse(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value zero(Machine&, Object*, std::vector<Value>&) { return Value(0.0); }

}  // namespace

void installPrintJob(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "PrintJob", construct, construct, proto);
    m.global()->find(m.key("PrintJob"))->flags |= FromVersion7;
    m.defineNative(proto, "start", refuse);
    m.defineNative(proto, "addPage", refuse);
    m.defineNative(proto, "send", nothing);
    // Read-only, and seen by for..in, as the reference player lists them.
    for (const char* name : {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"})
        defineAccessor(m, proto, name, zero, nullptr, 0);
}

}  // namespace swf::avm1
