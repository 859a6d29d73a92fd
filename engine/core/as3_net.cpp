// Loading, as a saver meets it: the movie itself is loaded whole before it plays (its LoaderInfo
// says so and sends init and complete), while anything a script asks to load from an address
// (URLLoader, Loader, Sound, NetStream) fails with the event Flash Player sends for a file that is
// not there. Also the events these use: ErrorEvent, IOErrorEvent, ProgressEvent, NetStatusEvent.
#include <functional>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

namespace {

// Events with an error number or an info object beside the common details.
class DetailEvent : public EventObject {
public:
    int errorId = 0;
    double bytesLoaded = 0, bytesTotal = 0;
    Value info = Value::null();
    void trace(std::vector<Object*>& out) override {
        EventObject::trace(out);
        if (Object* o = info.object()) out.push_back(o);
    }
};

DetailEvent* asDetail(Machine& m, const Value& v) { return nativeAs<DetailEvent>(m, v, u"flash.events.Event"); }

class RequestObject : public Object {
public:
    RequestObject() : Object(ObjectType::Other) {}
    Value url = Value::null(), data = Value::null(), requestHeaders;
    String method = u"GET", contentType = u"application/x-www-form-urlencoded";
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        for (const Value* v : {&url, &data, &requestHeaders})
            if (Object* o = v->object()) out.push_back(o);
    }
};

void readEventHead(Machine& m, EventObject* e, Args a) {
    e->type = m.toString(arg(a, 0));
    e->bubbles = m.toBoolean(arg(a, 1));
    e->cancelable = m.toBoolean(arg(a, 2));
}

String head(const String& kind, EventObject* e) {
    return u"[" + kind + u" type=\"" + e->type + u"\" bubbles=" + (e->bubbles ? u"true" : u"false") +
           u" cancelable=" + (e->cancelable ? u"true" : u"false") + u" eventPhase=" + numberToString(e->phase);
}

void constants(Machine& m, ClassObject* c, std::initializer_list<std::pair<const char16_t*, const char16_t*>> list) {
    for (auto [name, value] : list) m.defineConstant(c, name, Value(String(value)));
}

}  // namespace

String As3Display::urlOfRequest(const Value& request) {
    if (auto* r = dynamic_cast<RequestObject*>(request.object())) return r->url.isNull() ? String(u"null") : m_.toString(r->url);
    return request.isNullish() ? String(u"null") : m_.toString(request);
}

void As3Display::dispatchLater(const Value& target, const Value& event) {
    // A timer of no delay runs with the next frame's timers: the load fails after the call returns.
    m_.timers.add(Value(dispatchLater_), target, {event}, 0, false, m_.clockMs);
}

void As3Display::failLoadLater(const Value& target, int errorId, const String& text) {
    Value a[4] = {Value(String(u"ioError")), Value(false), Value(false), Value(text)};
    Value e = m_.construct(Value(ioErrorEventClass), a);
    asDetail(m_, e)->errorId = errorId;
    dispatchLater(target, e);
}

void As3Display::netStatusLater(const Value& target, const String& code, const String& level) {
    Object* info = m_.newObject();
    m_.set(Value(info), u"code", Value(code));
    m_.set(Value(info), u"level", Value(level));
    Value a[4] = {Value(String(u"netStatus")), Value(false), Value(false), Value(info)};
    dispatchLater(target, m_.construct(Value(netStatusEventClass_), a));
}

Object* As3Display::rootLoaderInfo() {
    if (!loaderInfo_) loaderInfo_ = m_.instantiate(loaderInfoClass_);
    return loaderInfo_;
}

void As3Display::rootLoaded() {
    Object* info = rootLoaderInfo();
    for (const char16_t* type : {u"init", u"complete"}) {
        Value t[1] = {Value(String(type))};
        Value e[1] = {m_.construct(Value(eventClass), t)};
        m_.guarded([&] { m_.callProperty(Value(info), Name{u"dispatchEvent", m_.publicSet}, e); });
    }
}

void As3Display::installNet() {
    Machine& m = m_;
    dispatchLater_ = m.newNative(u"dispatchLater", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return m.callProperty(self, Name{u"dispatchEvent", m.publicSet}, a.first(std::min<size_t>(a.size(), 1)));
    });
    m.hostRoots.push_back(dispatchLater_);
    auto eventAlloc = [](Machine& m, ClassObject*) -> Object* { return m.make<DetailEvent>(); };

    // ErrorEvent(type, bubbles, cancelable, text, id) and IOErrorEvent, on TextEvent.
    ClassObject* errorEvent = m.defineClass(u"flash.events", u"ErrorEvent", textEventClass, [](Machine& m, const Value& self, Args a) -> Value {
        DetailEvent* e = asDetail(m, self);
        readEventHead(m, e, a);
        e->text = a.size() > 3 ? m.toString(a[3]) : String();
        e->errorId = a.size() > 4 ? m.toInt(a[4]) : 0;
        return Value();
    }, eventAlloc);
    constants(m, errorEvent, {{u"ERROR", u"error"}});
    m.defineGetter(errorEvent, u"errorID", [](Machine& m, const Value& self, Args) -> Value { return Value(asDetail(m, self)->errorId); });
    ioErrorEventClass = m.defineClass(u"flash.events", u"IOErrorEvent", errorEvent, [errorEvent](Machine& m, const Value& self, Args a) -> Value {
        return m.call(Value(errorEvent->constructor), self, a);
    }, eventAlloc);
    constants(m, ioErrorEventClass, {{u"IO_ERROR", u"ioError"}, {u"NETWORK_ERROR", u"networkError"},
                                     {u"DISK_ERROR", u"diskError"}, {u"VERIFY_ERROR", u"verifyError"}});
    for (auto [cls, name] : {std::pair{errorEvent, u"ErrorEvent"}, std::pair{ioErrorEventClass, u"IOErrorEvent"}}) {
        const String kind = name;
        m.defineMethod(cls, u"toString", 0, [kind](Machine& m, const Value& self, Args) -> Value {
            DetailEvent* e = asDetail(m, self);
            return Value(head(kind, e) + u" text=\"" + e->text + u"\" errorID=" + numberToString(e->errorId) + u"]");
        });
        m.defineMethod(cls, u"clone", 0, [](Machine& m, const Value& self, Args) -> Value {
            DetailEvent* e = asDetail(m, self);
            Value a[5] = {Value(e->type), Value(e->bubbles), Value(e->cancelable), Value(e->text), Value(e->errorId)};
            return m.construct(Value(e->cls), a);
        });
    }

    // ProgressEvent(type, bubbles, cancelable, bytesLoaded, bytesTotal)
    ClassObject* progressEvent = m.defineClass(u"flash.events", u"ProgressEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        DetailEvent* e = asDetail(m, self);
        readEventHead(m, e, a);
        e->bytesLoaded = a.size() > 3 ? m.toNumber(a[3]) : 0;
        e->bytesTotal = a.size() > 4 ? m.toNumber(a[4]) : 0;
        return Value();
    }, eventAlloc);
    constants(m, progressEvent, {{u"PROGRESS", u"progress"}, {u"SOCKET_DATA", u"socketData"}});
    m.defineGetter(progressEvent, u"bytesLoaded", [](Machine& m, const Value& self, Args) -> Value { return Value(asDetail(m, self)->bytesLoaded); },
                   [](Machine& m, const Value& self, Args a) -> Value { asDetail(m, self)->bytesLoaded = m.toNumber(arg(a, 0)); return Value(); });
    m.defineGetter(progressEvent, u"bytesTotal", [](Machine& m, const Value& self, Args) -> Value { return Value(asDetail(m, self)->bytesTotal); },
                   [](Machine& m, const Value& self, Args a) -> Value { asDetail(m, self)->bytesTotal = m.toNumber(arg(a, 0)); return Value(); });

    // NetStatusEvent(type, bubbles, cancelable, info)
    netStatusEventClass_ = m.defineClass(u"flash.events", u"NetStatusEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        DetailEvent* e = asDetail(m, self);
        readEventHead(m, e, a);
        e->info = arg(a, 3);
        return Value();
    }, eventAlloc);
    constants(m, netStatusEventClass_, {{u"NET_STATUS", u"netStatus"}});
    m.defineGetter(netStatusEventClass_, u"info", [](Machine& m, const Value& self, Args) -> Value { return asDetail(m, self)->info; },
                   [](Machine& m, const Value& self, Args a) -> Value { asDetail(m, self)->info = arg(a, 0); return Value(); });

    // URLRequest(url)
    ClassObject* request = m.defineClass(u"flash.net", u"URLRequest", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        auto* r = nativeAs<RequestObject>(m, self, u"flash.net.URLRequest");
        if (!a.empty() && !a[0].isNullish()) r->url = Value(m.toString(a[0]));
        r->requestHeaders = Value(m.newArray());
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<RequestObject>(); });
    request->isSealedInstances = true;
    auto req = [](Machine& m, const Value& v) { return nativeAs<RequestObject>(m, v, u"flash.net.URLRequest"); };
    m.defineGetter(request, u"url", [req](Machine& m, const Value& self, Args) -> Value { return req(m, self)->url; },
                   [req](Machine& m, const Value& self, Args a) -> Value {
                       req(m, self)->url = arg(a, 0).isNullish() ? Value::null() : Value(m.toString(arg(a, 0)));
                       return Value();
                   });
    m.defineGetter(request, u"data", [req](Machine& m, const Value& self, Args) -> Value { return req(m, self)->data; },
                   [req](Machine& m, const Value& self, Args a) -> Value { req(m, self)->data = arg(a, 0); return Value(); });
    m.defineGetter(request, u"requestHeaders", [req](Machine& m, const Value& self, Args) -> Value { return req(m, self)->requestHeaders; },
                   [req](Machine& m, const Value& self, Args a) -> Value { req(m, self)->requestHeaders = arg(a, 0); return Value(); });
    m.defineGetter(request, u"method", [req](Machine& m, const Value& self, Args) -> Value { return Value(req(m, self)->method); },
                   [req](Machine& m, const Value& self, Args a) -> Value {
                       String method = m.toString(arg(a, 0));
                       if (method != u"GET" && method != u"POST")
                           m.throwError(u"ArgumentError", 2008, u"Parameter method must be one of the accepted values.");
                       req(m, self)->method = method;
                       return Value();
                   });
    m.defineGetter(request, u"contentType", [req](Machine& m, const Value& self, Args) -> Value { return Value(req(m, self)->contentType); },
                   [req](Machine& m, const Value& self, Args a) -> Value { req(m, self)->contentType = m.toString(arg(a, 0)); return Value(); });
    ClassObject* method = m.defineClass(u"flash.net", u"URLRequestMethod", m.objectClass, nullptr);
    constants(m, method, {{u"GET", u"GET"}, {u"POST", u"POST"}});
    ClassObject* format = m.defineClass(u"flash.net", u"URLLoaderDataFormat", m.objectClass, nullptr);
    constants(m, format, {{u"BINARY", u"binary"}, {u"TEXT", u"text"}, {u"VARIABLES", u"variables"}});

    // URLLoader(request): its loads fail with "Stream Error".
    auto alloc = [this](Machine& m, ClassObject*) -> Object* {
        auto* o = m.make<As3DisplayObject>();
        o->display = this;
        return o;
    };
    auto streamError = [this](const Value& target, const Value& request) {
        failLoadLater(target, 2032, u"Error #2032: Stream Error. URL: " + urlOfRequest(request));
    };
    ClassObject* urlLoader = m.defineClass(u"flash.net", u"URLLoader", dispatcherClass, [streamError](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        o->stored[u"dataFormat"] = Value(String(u"text"));
        if (!arg(a, 0).isNullish()) streamError(self, a[0]);
        return Value();
    }, alloc);
    urlLoader->isSealedInstances = false;
    for (const char16_t* name : {u"data", u"dataFormat"})
        m.defineGetter(urlLoader, name, [name](Machine& m, const Value& self, Args) -> Value {
            return asDisplayObject(m, self)->stored[name];
        }, [name](Machine& m, const Value& self, Args a) -> Value {
            asDisplayObject(m, self)->stored[name] = arg(a, 0);
            return Value();
        });
    for (const char16_t* name : {u"bytesLoaded", u"bytesTotal"})
        m.defineGetter(urlLoader, name, [](Machine&, const Value&, Args) -> Value { return Value(0); });
    m.defineMethod(urlLoader, u"load", 1, [streamError](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter request must be non-null.");
        streamError(self, a[0]);
        return Value();
    });
    m.defineMethod(urlLoader, u"close", 0, [](Machine&, const Value&, Args) -> Value { return Value(); });

    // LoaderInfo: the movie's own, whole from the start; a Loader's, of a load that never arrives.
    loaderInfoClass_ = m.defineClass(u"flash.display", u"LoaderInfo", dispatcherClass, [](Machine& m, const Value&, Args) -> Value {
        m.throwError(u"ArgumentError", 2012, u"LoaderInfo class cannot be instantiated.");
    }, alloc);
    const Movie& movie = library_.movie();
    auto movieDetail = [this](std::function<Value()> detail) -> NativeFn {
        return [this, detail](Machine& m, const Value& self, Args) -> Value {
            if (self.object() != loaderInfo_)
                m.throwError(u"Error", 2099, u"The loading object is not sufficiently loaded to provide this information.");
            return detail();
        };
    };
    const double bytes = movie.header.declaredLength;
    for (const char16_t* name : {u"bytesLoaded", u"bytesTotal"})
        m.defineGetter(loaderInfoClass_, name, [this, bytes](Machine&, const Value& self, Args) -> Value {
            return Value(self.object() == loaderInfo_ ? bytes : 0.0);
        });
    for (const char16_t* name : {u"url", u"loaderURL"})
        m.defineGetter(loaderInfoClass_, name, [this](Machine&, const Value& self, Args) -> Value {
            return self.object() == loaderInfo_ ? Value(String(movieUrl_.begin(), movieUrl_.end())) : Value::null();
        });
    m.defineGetter(loaderInfoClass_, u"content", [this](Machine&, const Value& self, Args) -> Value {
        return self.object() == loaderInfo_ && root_ ? Value(root_) : Value::null();
    });
    m.defineGetter(loaderInfoClass_, u"swfVersion", movieDetail([v = movie.header.version] { return Value(int(v)); }));
    m.defineGetter(loaderInfoClass_, u"actionScriptVersion", movieDetail([] { return Value(3); }));
    m.defineGetter(loaderInfoClass_, u"frameRate", movieDetail([this] { return Value(frameRate_); }));
    m.defineGetter(loaderInfoClass_, u"width", movieDetail([this] { return Value(static_cast<int>(stageWidth_)); }));
    m.defineGetter(loaderInfoClass_, u"height", movieDetail([this] { return Value(static_cast<int>(stageHeight_)); }));
    m.defineGetter(loaderInfoClass_, u"contentType", movieDetail([] { return Value(String(u"application/x-shockwave-flash")); }));
    m.defineGetter(loaderInfoClass_, u"sameDomain", movieDetail([] { return Value(true); }));
    m.defineGetter(loaderInfoClass_, u"loader", [](Machine&, const Value&, Args) -> Value { return Value::null(); });
    m.defineGetter(loaderInfoClass_, u"parameters", [this](Machine& m, const Value&, Args) -> Value {
        if (!loaderParameters_) loaderParameters_ = m.newObject();
        return Value(loaderParameters_);
    });
    m.defineGetter(displayObjectClass, u"loaderInfo", [this](Machine&, const Value&, Args) -> Value { return Value(rootLoaderInfo()); });

    // Loader: a container whose loads from an address fail with "URL Not Found".
    ClassObject* loader = m.defineClass(u"flash.display", u"Loader", containerClass, [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (!o->node) {
            o->detached = newNode(DisplayObject::Kind::Sprite);
            adopt(o, o->detached.get());
            o->node->name = "instance" + std::to_string(++scriptInstances_);
        }
        o->stored[u"contentLoaderInfo"] = Value(m.instantiate(loaderInfoClass_));
        return Value();
    });
    m.defineGetter(loader, u"contentLoaderInfo", [](Machine& m, const Value& self, Args) -> Value {
        return asDisplayObject(m, self)->stored[u"contentLoaderInfo"];
    });
    m.defineGetter(loader, u"content", [](Machine&, const Value&, Args) -> Value { return Value::null(); });
    m.defineMethod(loader, u"load", 2, [this](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter request must be non-null.");
        failLoadLater(asDisplayObject(m, self)->stored[u"contentLoaderInfo"], 2035,
                      u"Error #2035: URL Not Found. URL: " + urlOfRequest(a[0]));
        return Value();
    });
    for (const char16_t* name : {u"close", u"unload", u"unloadAndStop"})
        m.defineMethod(loader, name, 0, [](Machine&, const Value&, Args) -> Value { return Value(); });

    // NetConnection and NetStream: only local connections (connect(null)) open, and no stream is found.
    ClassObject* connection = m.defineClass(u"flash.net", u"NetConnection", dispatcherClass, [](Machine&, const Value&, Args) -> Value { return Value(); }, alloc);
    m.defineMethod(connection, u"connect", 1, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        const bool local = arg(a, 0).isNullish();
        o->stored[u"connected"] = Value(local);
        netStatusLater(self, local ? u"NetConnection.Connect.Success" : u"NetConnection.Connect.Failed", local ? u"status" : u"error");
        return Value();
    });
    m.defineGetter(connection, u"connected", [](Machine& m, const Value& self, Args) -> Value {
        return Value(m.toBoolean(asDisplayObject(m, self)->stored[u"connected"]));
    });
    m.defineMethod(connection, u"close", 0, [](Machine& m, const Value& self, Args) -> Value {
        asDisplayObject(m, self)->stored[u"connected"] = Value(false);
        return Value();
    });
    m.defineGetter(connection, u"client", [](Machine& m, const Value& self, Args) -> Value { return asDisplayObject(m, self)->stored[u"client"]; },
                   [](Machine& m, const Value& self, Args a) -> Value { asDisplayObject(m, self)->stored[u"client"] = arg(a, 0); return Value(); });
    ClassObject* stream = m.defineClass(u"flash.net", u"NetStream", dispatcherClass, [](Machine& m, const Value&, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter connection must be non-null.");
        return Value();
    }, alloc);
    m.defineMethod(stream, u"play", 1, [this](Machine&, const Value& self, Args) -> Value {
        netStatusLater(self, u"NetStream.Play.StreamNotFound", u"error");
        return Value();
    });
    for (const char16_t* name : {u"close", u"pause", u"resume", u"togglePause", u"seek"})
        m.defineMethod(stream, name, 0, [](Machine&, const Value&, Args) -> Value { return Value(); });
    for (const char16_t* name : {u"time", u"bytesLoaded", u"bytesTotal", u"bufferLength"})
        m.defineGetter(stream, name, [](Machine&, const Value&, Args) -> Value { return Value(0); });
    for (const char16_t* name : {u"client", u"bufferTime"})
        m.defineGetter(stream, name, [name](Machine& m, const Value& self, Args) -> Value { return asDisplayObject(m, self)->stored[name]; },
                       [name](Machine& m, const Value& self, Args a) -> Value { asDisplayObject(m, self)->stored[name] = arg(a, 0); return Value(); });
}

}  // namespace swf
