// One running action block: its code, scope chain, registers and timeline target.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/avm1/machine.h"

namespace swf::avm1 {

struct Machine::Frame {
    const uint8_t* bytes = nullptr;
    std::shared_ptr<const std::vector<uint8_t>> keepAlive;
    std::vector<Object*> scope;  // outermost (global) first
    size_t targetScope = 1;      // the entry a tellTarget replaces
    Object* self = nullptr;      // this
    Object* locals = nullptr;    // a function's activation; null on a timeline
    bool localsCaptured = false; // a function defined here keeps `locals` in its scope
    Object* varHome = nullptr;   // where undeclared assignments land: the timeline's clip
    Clip* base = nullptr;        // the clip the code belongs to
    Clip* target = nullptr;      // tellTarget's clip, timeline actions apply to it
    bool targetValid = true;
    std::vector<Value> registers = std::vector<Value>(4);
    std::shared_ptr<const std::vector<Value>> pool;  // as values: a push shares the text
    Object* callee = nullptr;
    Object* home = nullptr;      // the prototype the running method was found on (super)
    int homeDepth = -1;          // __proto__ steps from `self` to `home` at the call, -1 if none
    Value returnValue;
    bool returned = false;
    size_t stackBase = 0;

    // A function's `arguments` and `super` locals are made when code could first name them (most
    // calls never do): until then `callArgs` are the call's arguments.
    const std::vector<Value>* callArgs = nullptr;
    bool argumentsPending = false, superPending = false;
    Object* arguments = nullptr;  // made once per call, shared by its register and its local
    Object* makeArguments(Machine& m);
    Object* makeSuper(Machine& m) const;
    // Makes the pending locals now (a closure keeps the activation), or when `name` could
    // reach one of them.
    void settleLocals(Machine& m);
    void settleLocals(Machine& m, const std::string& name) {
        if ((argumentsPending || superPending) && couldName(name)) settleLocals(m);
    }

private:
    static bool couldName(const std::string& name);
};

}  // namespace swf::avm1
