// The tree behind the script XMLNode and XML classes: each node is a script object carrying this
// state; the structure lives here so that sibling and parent links stay consistent whatever
// scripts do with the arrays and objects they are handed.
#pragma once

#include <string>
#include <vector>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

constexpr int kXmlElement = 1;
constexpr int kXmlText = 3;

struct XmlNodeState final : NativeState {
    double type = kXmlElement;
    Value name;   // null or a string
    Value value;  // null or a string
    Object* parent = nullptr;
    std::vector<Object*> children;
    Object* attributes = nullptr;  // made on first use
    Object* childList = nullptr;   // the array childNodes hands out, rewritten on every change
    size_t indexHint = 0;          // where this node last was among its parent's children

    bool isText() const { return type == kXmlText; }
    void references(std::vector<Object*>& out) const override {
        out.push_back(parent);
        out.insert(out.end(), children.begin(), children.end());
        out.push_back(attributes);
        out.push_back(childList);
    }
};

XmlNodeState* xmlNode(Object* o);

// A new node object of `proto` (XMLNode.prototype when null).
Object* newXmlNode(Machine& m, double type, Value nameOrValue, Object* proto = nullptr);
// Gives `self` node state (for XML documents and script subclasses calling the constructors).
XmlNodeState& makeXmlNode(Object* self, double type, Value nameOrValue);

Object* xmlNodeAttributes(Machine& m, Object* node);
// Appends `child` to `parent`, taking it from where it was; false (and nothing done) when the
// child is the parent or one of its ancestors.
bool xmlAppend(Object* parent, Object* child);
bool xmlInsertBefore(Object* parent, Object* child, Object* before);
void xmlRemove(Object* node);
// Drops every child of `node` (their parent becomes null).
void xmlClearChildren(Object* node);
// The node's markup: elements with their attributes and children, escaped text; a node without
// a name (a document) writes its declaration, doctype and children only.
std::string xmlToString(Machine& m, Object* node);

void installXmlNode(Machine& m);
Object* xmlNodePrototype(Machine& m);

}  // namespace swf::avm1
