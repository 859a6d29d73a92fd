// The root classes (Object, Function, Class, Boolean), the class set-up order, and the global
// functions of the top level and flash.utils.
#include <cmath>
#include <cstring>

#include "engine/avm2/machine.h"
#include "engine/base/percent_encoding.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

String objectToString(Machine& m, const Value& self) {
    Object* o = self.object();
    if (!o) {
        ClassObject* c = m.classOf(self);
        return u"[object " + (c ? c->name : String(u"Object")) + u"]";
    }
    if (o->type == ObjectType::Class) return u"[class " + static_cast<ClassObject*>(o)->name + u"]";
    if (o->type == ObjectType::Function) {
        // A function's own type is named after its method's number in its code block; a method
        // closure is a Function.
        auto* f = static_cast<FunctionObject*>(o);
        if (f->bound) return u"[object Function]";
        return u"[object Function-" + numberToString(static_cast<double>(f->method)) + u"]";
    }
    if (o->type == ObjectType::Global) return u"[object global]";
    if (o->type == ObjectType::Activation) return u"[object Object]";
    ClassObject* c = o->cls ? o->cls : m.objectClass;
    return u"[object " + c->name + u"]";
}

}  // namespace

void installObjectBuiltins(Machine& m) {
    ClassObject* obj = m.objectClass;
    m.defineMethod(obj, u"hasOwnProperty", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Object* o = self.object();
        String key = m.propertyKey(self, arg(a, 0));
        if (!o) {
            if (self.isString()) {
                uint32_t i;
                return Value(key == u"length" || (parseIndex(key, i) && i < self.string().size()));
            }
            return Value(false);
        }
        return Value(m.hasOwnProperty(o, key));
    });
    m.defineMethod(obj, u"isPrototypeOf", 1, [](Machine&, const Value& self, Args a) -> Value {
        Object* p = self.object();
        Object* v = arg(a, 0).object();
        if (!p || !v) return Value(false);
        for (Object* q = v->proto; q; q = q->proto)
            if (q == p) return Value(true);
        return Value(false);
    });
    m.defineMethod(obj, u"propertyIsEnumerable", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Object* o = self.object();
        if (!o) return Value(false);
        String key = m.toString(arg(a, 0));
        uint32_t i;
        if ((o->type == ObjectType::Array || o->type == ObjectType::Vector) && parseIndex(key, i)) return Value(m.hasOwnProperty(o, key));
        return Value(o->dynamic.find(key) != nullptr && o->dynamic.isEnumerable(key));
    });
    m.defineMethod(obj, u"setPropertyIsEnumerable", 2, [](Machine& m, const Value& self, Args a) -> Value {
        if (Object* o = self.object()) o->dynamic.setEnumerable(m.toString(arg(a, 0)), m.toBoolean(arg(a, 1)));
        return Value();
    });
    m.defineMethod(obj, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(objectToString(m, self)); });
    m.defineMethod(obj, u"toLocaleString", 0, [](Machine& m, const Value& self, Args) -> Value {
        return m.callProperty(self, Name{u"toString", m.publicSet}, {});
    });
    m.defineMethod(obj, u"valueOf", 0, [](Machine&, const Value& self, Args) -> Value { return self; });
    obj->callAsFunction = [](Machine& m, const Value&, Args a) -> Value {
        Value v = arg(a, 0);
        if (v.isNullish()) return Value(m.newObject());
        return v;
    };
    obj->constructor = m.newNative(u"Object", 0, [](Machine&, const Value&, Args a) -> Value {
        Value v = arg(a, 0);
        return v.isNullish() ? Value() : v;
    });
}

void installFunctionBuiltins(Machine& m) {
    ClassObject* fn = m.functionClass;
    m.defineMethod(fn, u"call", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Value thisArg = arg(a, 0);
        return m.call(self, thisArg, a.size() > 1 ? a.subspan(1) : Args{});
    });
    m.defineMethod(fn, u"apply", 2, [](Machine& m, const Value& self, Args a) -> Value {
        Value thisArg = arg(a, 0);
        std::vector<Value> list;
        Value arr = arg(a, 1);
        if (Object* o = arr.object()) {
            if (o->type == ObjectType::Array) list = static_cast<ArrayObject*>(o)->items;
            else if (o->type == ObjectType::Vector) list = static_cast<VectorObject*>(o)->items;
            else m.typeError(1116, u"second argument to Function.prototype.apply must be an array.");
        } else if (!arr.isNullish()) {
            m.typeError(1116, u"second argument to Function.prototype.apply must be an array.");
        }
        return m.call(self, thisArg, list);
    });
    m.defineMethod(fn, u"toString", 0, [](Machine&, const Value&, Args) -> Value { return Value(u"function Function() {}"); });
    m.defineGetter(fn, u"length", [](Machine&, const Value& self, Args) -> Value {
        auto* f = static_cast<FunctionObject*>(self.object());
        return Value(f ? f->length : 0);
    });
    m.defineGetter(fn, u"prototype", [](Machine& m, const Value& self, Args) -> Value {
        auto* f = static_cast<FunctionObject*>(self.object());
        if (!f) return Value();
        if (!f->prototypeObject) {
            f->prototypeObject = m.newObject();
            f->prototypeObject->dynamic.set(u"constructor", self, false);
        }
        return Value(f->prototypeObject);
    }, [](Machine&, const Value& self, Args a) -> Value {
        auto* f = static_cast<FunctionObject*>(self.object());
        if (f) f->prototypeObject = arg(a, 0).object();
        return Value();
    });
    // Function() and new Function() make an empty function; a body in text cannot be compiled.
    auto empty = [](Machine& m, const Value&, Args a) -> Value {
        if (!a.empty()) m.throwError(u"EvalError", 1066, u"The form function('function body') is not supported.");
        return Value(m.newNative(u"", 0, [](Machine&, const Value&, Args) { return Value(); }));
    };
    fn->callAsFunction = empty;
    fn->constructor = m.newNative(u"Function", 1, empty);
}

static void installBoolean(Machine& m) {
    ClassObject* b = m.booleanClass;
    b->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(m.toBoolean(arg(a, 0))); };
    b->constructor = m.newNative(u"Boolean", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(m.toBoolean(arg(a, 0))); });
    auto thisBool = [](Machine& m, const Value& self) {
        if (!self.isBoolean() && !(self.object() == m.booleanClass->prototype))
            m.typeError(1004, u"Method Boolean.prototype.toString was invoked on an incompatible object.");
        return self.isBoolean() && self.boolean();
    };
    m.defineMethod(b, u"toString", 0, [thisBool](Machine& m, const Value& self, Args) -> Value {
        return Value(thisBool(m, self) ? u"true" : u"false");
    });
    m.defineMethod(b, u"valueOf", 0, [thisBool](Machine& m, const Value& self, Args) -> Value { return Value(thisBool(m, self)); });
}

static std::string uriEncode(const String& s, const char* keep, Machine& m) {
    std::string u8 = utf16ToUtf8(s);
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] >= 0xDC00 && s[i] < 0xE000 && (i == 0 || s[i - 1] < 0xD800 || s[i - 1] >= 0xDC00))
            m.throwError(u"URIError", 1052, u"Invalid URI passed to encodeURI function.");
    return percentEncoded(u8, keep);
}

static Value uriDecode(Machine& m, const String& s, const char* reserved) {
    std::string bytes;
    String out;
    auto hexv = [](char16_t c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size() || hexv(s[i + 1]) < 0 || hexv(s[i + 2]) < 0)
            m.throwError(u"URIError", 1052, u"Invalid URI passed to decodeURI function.");
        int b = hexv(s[i + 1]) * 16 + hexv(s[i + 2]);
        if (b < 0x80) {
            if (std::strchr(reserved, b) && b) out += s.substr(i, 3);
            else out += static_cast<char16_t>(b);
            i += 2;
            continue;
        }
        int n = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (!n) m.throwError(u"URIError", 1052, u"Invalid URI passed to decodeURI function.");
        std::string seq(1, static_cast<char>(b));
        size_t j = i + 3;
        for (int k = 1; k < n; ++k, j += 3) {
            if (j + 2 >= s.size() + 0 || s[j] != u'%' || hexv(s[j + 1]) < 0 || hexv(s[j + 2]) < 0)
                m.throwError(u"URIError", 1052, u"Invalid URI passed to decodeURI function.");
            int c = hexv(s[j + 1]) * 16 + hexv(s[j + 2]);
            if ((c & 0xC0) != 0x80) m.throwError(u"URIError", 1052, u"Invalid URI passed to decodeURI function.");
            seq += static_cast<char>(c);
        }
        out += utf8ToUtf16(seq);
        i = j - 1;
    }
    return Value(out);
}

// The white space parseInt and parseFloat skip: the ASCII kinds and the Unicode space separators.
static bool isLeadingSpace(char16_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// Digits in a radix that is a power of two, read exactly and rounded once (as a hexadecimal
// float); other radices add digit by digit, as the compiler does for number literals.
static double readPowerOfTwoDigits(const std::vector<int>& digits, int radix) {
    int bitsPerDigit = 0;
    while ((1 << bitsPerDigit) < radix) ++bitsPerDigit;
    std::string bits;
    for (int d : digits)
        for (int b = bitsPerDigit - 1; b >= 0; --b) bits += (d >> b) & 1 ? '1' : '0';
    bits.insert(0, (4 - bits.size() % 4) % 4, '0');
    std::string hex = "0x0";
    for (size_t i = 0; i < bits.size(); i += 4) hex += "0123456789abcdef"[std::stoi(bits.substr(i, 4), nullptr, 2)];
    return std::strtod((hex + "p0").c_str(), nullptr);
}

void installGlobalFunctions(Machine& m) {
    m.defineGlobal(u"", u"NaN", Value(NAN));
    m.defineGlobal(u"", u"Infinity", Value(INFINITY));
    m.defineGlobal(u"", u"undefined", Value());
    m.defineGlobalFunction(u"", u"trace", 1, [](Machine& m, const Value&, Args a) -> Value {
        String line;
        for (size_t i = 0; i < a.size(); ++i) {
            if (i) line += u' ';
            line += m.toString(a[i]);
        }
        if (m.traceHandler) m.traceHandler(utf16ToUtf8(line));
        return Value();
    });
    m.defineGlobalFunction(u"", u"isNaN", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(std::isnan(m.toNumber(arg(a, 0)))); });
    m.defineGlobalFunction(u"", u"isFinite", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(std::isfinite(m.toNumber(arg(a, 0)))); });
    m.defineGlobalFunction(u"", u"parseFloat", 1, [](Machine& m, const Value&, Args a) -> Value {
        String s = m.toString(arg(a, 0));
        size_t i = 0;
        while (i < s.size() && isLeadingSpace(s[i])) ++i;
        std::string t;
        for (; i < s.size() && s[i] < 128; ++i) t += static_cast<char>(s[i]);
        size_t sign = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
        if (t.compare(sign, 8, "Infinity") == 0) return Value(t[0] == '-' ? -INFINITY : INFINITY);
        // The longest prefix that is a decimal number.
        size_t j = sign, digits = 0;
        while (j < t.size() && isdigit(static_cast<unsigned char>(t[j]))) ++j, ++digits;
        if (j < t.size() && t[j] == '.') {
            ++j;
            while (j < t.size() && isdigit(static_cast<unsigned char>(t[j]))) ++j, ++digits;
        }
        if (!digits) return Value(NAN);
        if (j < t.size() && (t[j] == 'e' || t[j] == 'E')) {
            size_t k = j + 1;
            if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
            size_t e = 0;
            while (k < t.size() && isdigit(static_cast<unsigned char>(t[k]))) ++k, ++e;
            if (e) j = k;
        }
        return Value(std::strtod(t.substr(0, j).c_str(), nullptr));
    });
    m.defineGlobalFunction(u"", u"parseInt", 2, [](Machine& m, const Value&, Args a) -> Value {
        String s = m.toString(arg(a, 0));
        int radix = arg(a, 1).isUndefined() ? 0 : m.toInt(arg(a, 1));
        size_t i = 0;
        while (i < s.size() && isLeadingSpace(s[i])) ++i;
        bool neg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
        if (radix == 0) {
            radix = 10;
            if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
                radix = 16;
                i += 2;
            }  // a leading zero is still decimal
        } else if (radix == 16 && i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
            i += 2;
        }
        if (radix < 2 || radix > 36) return Value(NAN);
        double v = 0;
        std::vector<int> digits;
        for (; i < s.size(); ++i) {
            char16_t c = s[i];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : 99;
            if (d >= radix) break;
            digits.push_back(d);
            v = v * radix + d;
        }
        if (digits.empty()) return Value(NAN);
        if ((radix & (radix - 1)) == 0 && std::isfinite(v)) v = readPowerOfTwoDigits(digits, radix);
        return Value(neg ? -v : v);
    });
    m.defineGlobalFunction(u"", u"escape", 1, [](Machine& m, const Value&, Args a) -> Value {
        String s = m.toString(arg(a, 0));
        String out;
        const char* hex = "0123456789ABCDEF";
        for (char16_t c : s) {
            if (c < 128 && (std::isalnum(c) || std::strchr("@-_.*+/", static_cast<char>(c))) && c) {
                out += c;
            } else if (c < 256) {
                out += u'%';
                out += static_cast<char16_t>(hex[c >> 4]);
                out += static_cast<char16_t>(hex[c & 15]);
            } else {
                out += u"%u";
                for (int k = 12; k >= 0; k -= 4) out += static_cast<char16_t>(hex[(c >> k) & 15]);
            }
        }
        return Value(out);
    });
    m.defineGlobalFunction(u"", u"unescape", 1, [](Machine& m, const Value&, Args a) -> Value {
        String s = m.toString(arg(a, 0));
        String out;
        auto hexv = [](char16_t c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == u'%' && i + 5 < s.size() + 0 && s[i + 1] == u'u' && hexv(s[i + 2]) >= 0 && hexv(s[i + 3]) >= 0 &&
                hexv(s[i + 4]) >= 0 && hexv(s[i + 5]) >= 0) {
                out += static_cast<char16_t>((hexv(s[i + 2]) << 12) | (hexv(s[i + 3]) << 8) | (hexv(s[i + 4]) << 4) | hexv(s[i + 5]));
                i += 5;
            } else if (s[i] == u'%' && i + 2 < s.size() && hexv(s[i + 1]) >= 0 && hexv(s[i + 2]) >= 0) {
                out += static_cast<char16_t>(hexv(s[i + 1]) * 16 + hexv(s[i + 2]));
                i += 2;
            } else {
                out += s[i];
            }
        }
        return Value(out);
    });
    m.defineGlobalFunction(u"", u"encodeURI", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(ascii(uriEncode(m.toString(arg(a, 0)), "-_.!~*'();/?:@&=+$,#", m)));
    });
    m.defineGlobalFunction(u"", u"encodeURIComponent", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(ascii(uriEncode(m.toString(arg(a, 0)), "-_.!~*'()", m)));
    });
    m.defineGlobalFunction(u"", u"decodeURI", 1, [](Machine& m, const Value&, Args a) -> Value {
        return uriDecode(m, m.toString(arg(a, 0)), ";/?:@&=+$,#");
    });
    m.defineGlobalFunction(u"", u"decodeURIComponent", 1, [](Machine& m, const Value&, Args a) -> Value {
        return uriDecode(m, m.toString(arg(a, 0)), "");
    });
    m.defineGlobalFunction(u"", u"isXMLName", 1, [](Machine& m, const Value&, Args a) -> Value {
        String s = m.toString(arg(a, 0));
        if (s.empty()) return Value(false);
        auto start = [](char16_t c) { return std::isalpha(c) || c == '_' || c > 127; };
        if (!start(s[0])) return Value(false);
        for (char16_t c : s)
            if (!(start(c) || std::isdigit(c) || c == '.' || c == '-')) return Value(false);
        return Value(true);
    });
}

static String qualifiedClassName(Machine& m, const Value& v) {
    if (v.isUndefined()) return u"void";
    if (v.isNull()) return u"null";
    Object* o = v.object();
    ClassObject* c = o && o->type == ObjectType::Class ? static_cast<ClassObject*>(o) : m.classOf(v);
    return c ? c->qualifiedName() : u"Object";
}

void installUtilsBuiltins(Machine& m) {
    m.defineGlobalFunction(u"flash.utils", u"getQualifiedClassName", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(qualifiedClassName(m, arg(a, 0)));
    });
    m.defineGlobalFunction(u"flash.utils", u"getQualifiedSuperclassName", 1, [](Machine& m, const Value&, Args a) -> Value {
        Value v = arg(a, 0);
        Object* o = v.object();
        ClassObject* c = o && o->type == ObjectType::Class ? static_cast<ClassObject*>(o) : m.classOf(v);
        if (!c || !c->super) return Value::null();
        return Value(c->super->qualifiedName());
    });
    m.defineGlobalFunction(u"flash.utils", u"getDefinitionByName", 1, [](Machine& m, const Value&, Args a) -> Value {
        String name = m.toString(arg(a, 0));
        String pkg, local = name;
        size_t p = name.rfind(u"::");
        if (p != String::npos) {
            pkg = name.substr(0, p);
            local = name.substr(p + 2);
        } else if ((p = name.rfind(u'.')) != String::npos) {
            pkg = name.substr(0, p);
            local = name.substr(p + 1);
        }
        std::vector<Ns> set{Ns{kNsPackage, pkg, 0}};
        Name n{local, set};
        bool found = false;
        Value holder = m.findGlobal(n, found);
        if (found) return m.getProperty(holder, n);
        m.referenceError(1065, u"Variable " + local + u" is not defined.");
    });
    m.defineGlobalFunction(u"flash.utils", u"getTimer", 0, [](Machine& m, const Value&, Args) -> Value {
        return Value(std::floor(m.startMs()));
    });
    // The core's own package offers the same reflection functions under its name.
    for (const char16_t* name : {u"getQualifiedClassName", u"getQualifiedSuperclassName"}) {
        if (Binding* b = m.toplevel->table.findQ(Ns{kNsPackage, u"flash.utils", 0}, name))
            m.defineGlobal(u"avmplus", name, m.toplevel->slots[b->slot]);
    }
}

void Machine::installBuiltins() {
    // Object, Class and Function refer to each other: make them bare, then link them.
    toplevel = make<GlobalObject>();
    toplevel->traits = &toplevel->table;
    auto bare = [&](const String& name) {
        auto* c = make<ClassObject>();
        c->name = name;
        c->traits = &c->staticTraits;
        if (name == u"Function") {
            // Function.prototype is itself a function, one that does nothing.
            auto* empty = make<FunctionObject>();
            empty->native = [](Machine&, const Value&, std::span<const Value>) { return Value(); };
            c->prototype = empty;
        } else {
            c->prototype = make<Object>();
        }
        builtins_[name] = c;
        return c;
    };
    objectClass = bare(u"Object");
    classClass = bare(u"Class");
    functionClass = bare(u"Function");
    for (ClassObject* c : {objectClass, classClass, functionClass}) {
        c->cls = classClass;
        c->proto = classClass->prototype;
        c->prototype->cls = objectClass;
        c->prototype->dynamic.set(u"constructor", Value(c), false);
        if (c != objectClass) {
            c->super = objectClass;
            c->prototype->proto = objectClass->prototype;
        }
    }
    classClass->isSealedInstances = true;
    functionClass->isSealedInstances = false;
    for (ClassObject* c : {objectClass, classClass, functionClass}) defineGlobal(u"", c->name, Value(c));
    toplevel->cls = objectClass;
    toplevel->proto = objectClass->prototype;

    booleanClass = defineClass(u"", u"Boolean", objectClass, nullptr);
    numberClass = defineClass(u"", u"Number", objectClass, nullptr);
    intClass = defineClass(u"", u"int", objectClass, nullptr);
    uintClass = defineClass(u"", u"uint", objectClass, nullptr);
    stringClass = defineClass(u"", u"String", objectClass, nullptr);
    arrayClass = defineClass(u"", u"Array", objectClass, nullptr, [](Machine& m, ClassObject*) -> Object* { return m.make<ArrayObject>(); });
    namespaceClass = defineClass(u"", u"Namespace", objectClass, nullptr);
    for (ClassObject* c : {booleanClass, numberClass, intClass, uintClass, stringClass, namespaceClass, classClass}) {
        c->isFinal = true;
        c->isSealedInstances = true;
    }
    booleanClass->prototype->dynamic.set(u"constructor", Value(booleanClass), false);

    installObjectBuiltins(*this);
    installFunctionBuiltins(*this);
    installBoolean(*this);
    installNumberBuiltins(*this);
    installStringBuiltins(*this);
    installArrayBuiltins(*this);
    installMathBuiltins(*this);
    installErrorBuiltins(*this);
    installGlobalFunctions(*this);
    installUtilsBuiltins(*this);
    installVectorBuiltins(*this);
    installRegExpBuiltins(*this);
    installDateBuiltins(*this);
    installJsonBuiltins(*this);
    installByteArrayBuiltins(*this);
    installDictionaryBuiltins(*this);
    installTimerBuiltins(*this);
    installQNameBuiltins(*this);
    installNamespaceBuiltins(*this);
    installXmlBuiltins(*this);
    installProxyBuiltins(*this);
}

}  // namespace swf::avm2
