// Variable names: scope-chain lookup, slash and dot paths, and target paths to clips.
#include <cctype>
#include <cstdlib>

#include "engine/avm1/frame.h"

namespace swf::avm1 {

namespace {

bool isPath(const std::string& name) {
    return name.find_first_of(":/.") != std::string::npos;
}

bool levelNumber(const std::string& token, int& n) {
    if (token.size() < 7 || token.compare(0, 6, "_level") != 0) return false;
    for (size_t i = 6; i < token.size(); ++i)
        if (!std::isdigit((unsigned char)token[i])) return false;
    n = std::atoi(token.c_str() + 6);
    return true;
}

// The steps of a target path: clip names, ".." for the parent. '/' and ':' part names, and '.'
// does too until a '/' has been met; colons that open a name are passed over ("/:a", "a:::b"), a
// ".." is the parent only when a separator or the end follows it, and an empty name (".." then
// '.', "a//b", "a::" at the end) makes the path name nothing: false.
bool targetSteps(const std::string& path, bool& absolute, std::vector<std::string>& steps) {
    const size_t n = path.size();
    absolute = n > 0 && path[0] == '/';
    bool slashes = absolute;
    size_t i = absolute ? 1 : 0;
    while (i < n) {
        while (i < n && path[i] == ':') ++i;
        if (i == n) return false;
        if (path.compare(i, 2, "..") == 0 && (i + 2 == n || path[i + 2] == '/' || path[i + 2] == ':')) {
            steps.push_back("..");
            i += 2;
        } else {
            size_t from = i;
            while (i < n && path[i] != '/' && path[i] != ':' && (path[i] != '.' || slashes)) ++i;
            if (i == from) return false;
            steps.push_back(path.substr(from, i - from));
        }
        if (i < n) slashes = slashes || path[i] == '/', ++i;
    }
    return true;
}

}  // namespace

Clip* Machine::resolveTarget(const std::string& path, Clip* base) {
    bool absolute;
    std::vector<std::string> steps;
    if (!targetSteps(path, absolute, steps)) return nullptr;
    Clip* cur = absolute ? host_.level(0) : base;
    for (const std::string& t : steps) {
        if (!cur) return nullptr;
        int level;
        if (t == "..") cur = cur->parent();
        else if (key(t) == key("_parent")) cur = cur->parent();
        else if (key(t) == key("_root")) cur = rootOf(cur);
        else if (levelNumber(t, level)) cur = host_.level(level);
        else {
            Clip* child = cur->childByName(t, version_ >= 7);
            if (!child) {
                // A variable holding a clip reference also names a target.
                Value v = getMember(Value(clipObject(cur)), t);
                child = v.object() ? v.object()->clip : nullptr;
            }
            cur = child;
        }
    }
    return cur;
}

// A variable path names the member after its last ':' or '.' of what the target path before it
// leads to (a clip, or any object through variables). `owner` is then where `member` lives.
bool Machine::splitPath(Frame& f, const std::string& path, Object*& owner, std::string& member, bool forReading) {
    size_t cut = path.find_last_of(":.");
    if (cut == std::string::npos) return false;
    member = path.substr(cut + 1);
    if (member.empty()) return false;
    if (cut == 0) {
        Clip* t = liveTarget(f);
        owner = t ? clipObject(t) : f.varHome;
        return owner != nullptr;
    }
    bool absolute;
    std::vector<std::string> tokens;
    if (!targetSteps(path.substr(0, cut), absolute, tokens)) return false;
    if (tokens.empty()) {
        owner = absolute ? clipObject(host_.level(0)) : nullptr;
        return owner != nullptr;
    }
    // Inside a path a clip's child of the name comes before a variable of that name.
    auto step = [&](const Value& from, const std::string& t) {
        Object* o = from.object();
        if (o && o->clip)
            if (Clip* child = o->clip->childByName(t, version_ >= 7)) return Value(clipObject(child));
        return getMember(from, t);
    };
    // Follows tokens[from..] from `cur`; false when a step gives no object.
    auto walk = [&](Value cur, size_t from) {
        for (size_t i = from; i < tokens.size(); ++i) {
            const std::string& t = tokens[i];
            if (t == "..") {
                Object* o = cur.object();
                Clip* p = o && o->clip ? o->clip->parent() : nullptr;
                cur = p ? Value(clipObject(p)) : Value();
            } else {
                cur = step(cur, t);
            }
            if (!cur.isObject()) return false;
        }
        owner = cur.object();
        return owner != nullptr && (!forReading || hasProperty(owner, member));
    };
    if (absolute) {
        forReading = false;
        return walk(Value(clipObject(host_.level(0))), 0);
    }
    const std::string& first = tokens[0];
    if (first == "..") {
        Clip* t = liveTarget(f);
        Clip* p = t ? t->parent() : nullptr;
        forReading = false;
        return p && walk(Value(clipObject(p)), 1);
    }
    // A plain first name is tried in each scope, innermost first: the first scope through which
    // the path leads to an object (that has the member, when reading) is the one used.
    std::string k = key(first);
    bool special = k == key("this") || k == key("_global") || k == key("_root") || k == key("_parent") ||
                   first.compare(0, 6, "_level") == 0;
    if (!special) {
        for (size_t i = f.scope.size(); i-- > 0;) {
            Object* o = scopeEntry(f, i);
            if (o && hasProperty(o, first) && walk(step(Value(o), first), 1)) return true;
        }
    }
    Value start = lookupVariable(f, first);
    if (!start.isObject()) return false;
    forReading = false;  // the language's own names lead to one place only
    return walk(start, 1);
}

Clip* Machine::rootOf(Clip* c) {
    if (!c || c->isRemoved()) return host_.level(0);
    int guard = 0;
    for (Clip* cur = c; cur && guard < 100000; ++guard) {
        if (lockRootUsed_) {
            auto face = clipObjects_.find(cur);
            const Property* lock = face == clipObjects_.end() ? nullptr : face->second->find(key("_lockroot"));
            if (lock && !lock->getter && toBoolean(lock->value)) return cur;
        }
        Clip* up = cur->parent();
        if (!up) {
            // The top is a level's root; anything else (a clip out of the display list) is
            // under level 0.
            if (cur == host_.level(0)) return cur;
            std::string path = cur->text(ClipProperty::Target);
            return path.compare(0, 6, "_level") == 0 && path.find('.') == std::string::npos ? cur : host_.level(0);
        }
        cur = up;
    }
    return host_.level(0);
}

Clip* Machine::liveTarget(Frame& f) {
    if (!f.target || !f.target->isRemoved()) return f.target;
    if (f.base && !f.base->isRemoved()) return f.base;
    return host_.level(0);
}

Object* Machine::scopeEntry(Frame& f, size_t i) {
    Object* o = f.scope[i];
    bool left = o && (o->clip ? o->clip->isRemoved() : o->leftClipPath != nullptr);
    if (i != f.targetScope || f.locals || !left) return o;
    Clip* c = liveTarget(f);
    return c ? clipObject(c) : o;
}

Value Machine::lookupVariable(Frame& f, const std::string& name) {
    f.settleLocals(*this, name);
    if (isPath(name) && name.size() > 1) {
        if (name.find_first_of(":.") != std::string::npos) {
            Object* owner;
            std::string member;
            if (!splitPath(f, name, owner, member, true) && !splitPath(f, name, owner, member, false)) return Value();
            return getMember(Value(owner), member);
        }
        // Slashes alone make a target path to a clip; failing that, they are part of a name.
        if (Clip* c = resolveTarget(name, f.target ? liveTarget(f) : f.base)) return Value(clipObject(c));
    }
    std::string k = key(name);
    // Names the language resolves before any variable.
    int level;
    if (k == key("this")) {
        if (f.locals) {
            if (const Property* p = f.locals->find(k)) return p->value;
        }
        return Value(f.self);
    }
    if (k == key("_global")) return Value(global_);
    if (k == key("_root")) {
        Clip* root = rootOf(f.base && !f.base->isRemoved() ? f.base : liveTarget(f));
        return root ? Value(clipObject(root)) : Value();
    }
    if (levelNumber(name, level)) {
        Clip* c = host_.level(level);
        return c ? Value(clipObject(c)) : Value();
    }
    for (size_t i = f.scope.size(); i-- > 0;) {
        Object* o = scopeEntry(f, i);
        if (o && hasProperty(o, name)) return getMember(Value(o), name);
    }
    if (k == key("_parent")) {
        Clip* t = liveTarget(f);
        Clip* c = t ? t->parent() : nullptr;
        return c ? Value(clipObject(c)) : Value();
    }
    return Value();
}

void Machine::assignVariable(Frame& f, const std::string& name, const Value& v) {
    f.settleLocals(*this, name);
    // A name with slashes alone is a variable's own name when assigned to.
    if (isPath(name) && name.size() > 1 && name.find_first_of(":.") != std::string::npos) {
        Object* owner;
        std::string member;
        if (splitPath(f, name, owner, member)) setMember(Value(owner), member, v);
        return;
    }
    // The innermost scope that has the name takes it, the global object aside; otherwise the
    // timeline does.
    for (size_t i = f.scope.size(); i-- > 1;) {
        Object* o = scopeEntry(f, i);
        if (o && hasProperty(o, name)) {
            setMember(Value(o), name, v);
            return;
        }
    }
    Object* timeline = f.targetScope < f.scope.size() ? scopeEntry(f, f.targetScope) : nullptr;
    Object* home = timeline && timeline != global_ ? timeline : f.varHome;
    if (home) setMember(Value(home), name, v);
}

}  // namespace swf::avm1
