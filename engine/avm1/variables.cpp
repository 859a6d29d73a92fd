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

std::vector<std::string> splitTokens(const std::string& path, bool& absolute) {
    std::vector<std::string> tokens;
    absolute = !path.empty() && path[0] == '/';
    std::string cur;
    for (size_t i = absolute ? 1 : 0; i < path.size(); ++i) {
        char c = path[i];
        if (c == '/' || (c == '.' && !(i + 1 < path.size() && path[i + 1] == '.' && cur.empty()))) {
            tokens.push_back(cur);
            cur.clear();
        } else if (c == '.' && cur.empty()) {  // ".." names the parent
            tokens.push_back("..");
            ++i;
            if (i + 1 < path.size() && (path[i + 1] == '/' || path[i + 1] == '.')) ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) tokens.push_back(cur);
    return tokens;
}

// The names of a target path (tellTarget, setTarget, a clip's methods): '/' and ':' part clip
// names, and '.' does too until a '/' has been met; ".." is the parent; "/:" parts only once.
std::vector<std::string> targetTokens(const std::string& path, bool& absolute) {
    std::vector<std::string> tokens;
    absolute = !path.empty() && path[0] == '/';
    bool slashes = absolute;
    std::string cur;
    for (size_t i = absolute ? 1 : 0; i < path.size(); ++i) {
        char c = path[i];
        if (c == '.' && cur.empty() && i + 1 < path.size() && path[i + 1] == '.') {
            tokens.push_back("..");
            ++i;
            if (i + 1 < path.size() && (path[i + 1] == '/' || path[i + 1] == '.' || path[i + 1] == ':')) ++i;
        } else if (c == '/' || c == ':' || (c == '.' && !slashes)) {
            if (!(c == ':' && cur.empty() && i > 0 && path[i - 1] == '/')) tokens.push_back(cur);
            cur.clear();
            slashes = slashes || c == '/';
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) tokens.push_back(cur);
    return tokens;
}

}  // namespace

Clip* Machine::resolveTarget(const std::string& path, Clip* base) {
    bool absolute;
    std::vector<std::string> tokens = targetTokens(path, absolute);
    Clip* cur = absolute ? host_.level(0) : base;
    for (const std::string& t : tokens) {
        if (!cur) return nullptr;
        int level;
        if (t.empty()) return nullptr;  // "a//b" names nothing
        if (t == "..") cur = cur->parent();
        else if (key(t) == key("_parent")) cur = cur->parent();
        else if (key(t) == key("_root")) cur = host_.level(0);
        else if (key(t) == key("this")) continue;
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

// Evaluates every token of a path but the last; `owner` is then where the last one lives.
bool Machine::splitPath(Frame& f, const std::string& path, Object*& owner, std::string& member, bool forReading) {
    size_t colon = path.rfind(':');
    if (colon != std::string::npos) {
        Clip* c = colon == 0 ? f.target : resolveTarget(path.substr(0, colon), f.target ? f.target : f.base);
        owner = c ? clipObject(c) : nullptr;
        member = path.substr(colon + 1);
        return owner != nullptr;
    }
    bool absolute;
    std::vector<std::string> tokens = splitTokens(path, absolute);
    if (tokens.empty()) return false;
    member = tokens.back();
    tokens.pop_back();
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
        Clip* p = f.target ? f.target->parent() : nullptr;
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
            Object* o = f.scope[i];
            if (o && hasProperty(o, first) && walk(step(Value(o), first), 1)) return true;
        }
    }
    Value start = lookupVariable(f, first);
    if (!start.isObject()) return false;
    forReading = false;  // the language's own names lead to one place only
    return walk(start, 1);
}

Value Machine::lookupVariable(Frame& f, const std::string& name) {
    f.settleLocals(*this, name);
    if (isPath(name) && name.size() > 1) {
        Object* owner;
        std::string member;
        if (!splitPath(f, name, owner, member, true) && !splitPath(f, name, owner, member, false)) return Value();
        if (member.empty()) return Value(owner);
        if (member == ".." && owner->clip) {
            Clip* p = owner->clip->parent();
            return p ? Value(clipObject(p)) : Value();
        }
        return getMember(Value(owner), member);
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
        Clip* root = host_.level(0);
        return root ? Value(clipObject(root)) : Value();
    }
    if (levelNumber(name, level)) {
        Clip* c = host_.level(level);
        return c ? Value(clipObject(c)) : Value();
    }
    for (size_t i = f.scope.size(); i-- > 0;) {
        Object* o = f.scope[i];
        if (o && hasProperty(o, name)) return getMember(Value(o), name);
    }
    if (k == key("_parent")) {
        Clip* c = f.target ? f.target->parent() : nullptr;
        return c ? Value(clipObject(c)) : Value();
    }
    return Value();
}

void Machine::assignVariable(Frame& f, const std::string& name, const Value& v) {
    f.settleLocals(*this, name);
    if (isPath(name) && name.size() > 1) {
        Object* owner;
        std::string member;
        if (splitPath(f, name, owner, member)) setMember(Value(owner), member, v);
        return;
    }
    // The innermost scope that has the name takes it, the global object aside; otherwise the
    // timeline does.
    for (size_t i = f.scope.size(); i-- > 1;) {
        Object* o = f.scope[i];
        if (o && hasProperty(o, name)) {
            setMember(Value(o), name, v);
            return;
        }
    }
    Object* home = f.targetScope < f.scope.size() && f.scope[f.targetScope] != global_ ? f.scope[f.targetScope] : f.varHome;
    if (home) setMember(Value(home), name, v);
}

}  // namespace swf::avm1
