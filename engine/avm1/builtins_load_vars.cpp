// LoadVars: variables as URL-encoded text. Loads end as failed (see load_requests.h); decode and
// toString work on the object's own variables.
#include <cctype>

#include "engine/avm1/load_requests.h"
#include "engine/base/percent_encoding.h"

namespace swf::avm1 {

namespace {

std::string urlDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && std::isxdigit((unsigned char)s[i + 1]) &&
                   std::isxdigit((unsigned char)s[i + 2])) {
            out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

Value construct(Machine& m, Object* self, std::vector<Value>&) {
    return self && self != m.global() ? Value(self) : Value();
}

Value decode(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || a.empty()) return Value();
    std::string text = m.toString(a[0]);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        std::string pair = text.substr(start, end - start);
        size_t eq = pair.find('=');
        if (!pair.empty()) {
            std::string name = urlDecode(pair.substr(0, eq));
            std::string value = eq == std::string::npos ? "" : urlDecode(pair.substr(eq + 1));
            if (!name.empty()) m.setMember(Value(self), name, Value(value));
        }
        start = end + 1;
    }
    return Value();
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    std::string out;
    std::vector<std::string> names = m.enumerate(self);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!out.empty()) out += '&';
        appendLimited(out, percentEncoded(*it) + "=" + percentEncoded(m.toString(m.getMember(Value(self), *it))));
    }
    return Value(out);
}

Value onData(Machine& m, Object* self, std::vector<Value>& a) { return finishLoad(m, self, arg(a, 0), "decode"); }
}  // namespace

void installLoadVars(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "LoadVars", construct, construct, proto);
    m.global()->find(m.key("LoadVars"))->flags |= FromVersion6;
    struct { const char* name; NativeFunction f; } methods[] = {
        {"load", loading::load}, {"send", loading::send}, {"sendAndLoad", loading::sendAndLoad}, {"decode", decode}, {"toString", toString},
        {"onData", onData}, {"onLoad", loading::onLoad}, {"getBytesLoaded", loading::getBytesLoaded},
        {"getBytesTotal", loading::getBytesTotal}, {"addRequestHeader", addRequestHeader}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    proto->put(m.key("contentType"), "contentType", Value("application/x-www-form-urlencoded"), DontEnum);
}

}  // namespace swf::avm1
