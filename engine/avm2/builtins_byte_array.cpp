// flash.utils.ByteArray: reads and writes of every number size in either byte order, text as
// UTF-8 (with or without a length), position, length and bytesAvailable, and compression with
// zlib (the "zlib" and "deflate" formats).
#include <cmath>
#include <cstring>

#include <zlib.h>

#include "engine/avm2/byte_array.h"
#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

ByteArrayObject* thisBytes(Machine& m, const Value& self) {
    Object* o = self.object();
    if (!o || o->type != ObjectType::ByteArray)
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(self) + u" to flash.utils.ByteArray.");
    return static_cast<ByteArrayObject*>(o);
}

[[noreturn]] void endOfFile(Machine& m) { m.throwError(u"flash.errors::EOFError", 2030, u"End of file was encountered."); }

void checkLength(Machine& m, size_t n) {
    if (n > kMaxByteArrayLength) m.throwError(u"flash.errors::MemoryError", 1000, u"The system is out of memory.");
}

// The bytes of a read of `n` at the position, which moves past them.
const uint8_t* take(Machine& m, ByteArrayObject* b, size_t n) {
    if (b->position > b->data.size() || b->data.size() - b->position < n) endOfFile(m);
    const uint8_t* p = b->data.data() + b->position;
    b->position += static_cast<uint32_t>(n);
    return p;
}

void put(Machine& m, ByteArrayObject* b, const uint8_t* p, size_t n) {
    size_t end = static_cast<size_t>(b->position) + n;
    checkLength(m, end);
    if (end > b->data.size()) b->data.resize(end);
    if (n) std::memcpy(b->data.data() + b->position, p, n);
    b->position = static_cast<uint32_t>(end);
}

uint64_t readUnsigned(Machine& m, ByteArrayObject* b, size_t n) {
    const uint8_t* p = take(m, b, n);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[b->littleEndian ? i : n - 1 - i]) << (8 * i);
    return v;
}

void writeUnsigned(Machine& m, ByteArrayObject* b, uint64_t v, size_t n) {
    uint8_t p[8];
    for (size_t i = 0; i < n; ++i) p[b->littleEndian ? i : n - 1 - i] = static_cast<uint8_t>(v >> (8 * i));
    put(m, b, p, n);
}

// UTF-8 to text; a byte order mark at the start is skipped. Reads end the text at a zero
// byte; toString keeps it.
String decodeUtf8(const uint8_t* p, size_t n, bool zeroEnds = true) {
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) p += 3, n -= 3;
    size_t end = 0;
    while (end < n && (p[end] || !zeroEnds)) ++end;
    return utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(p), end));
}

std::string encodeUtf8(Machine& m, const Value& v) { return utf16ToUtf8(m.toString(v)); }

bool isLatin1(const String& charset) {
    String c;
    for (char16_t ch : charset) c += (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch - u'A' + u'a') : ch;
    return c == u"iso-8859-1" || c == u"latin1" || c == u"us-ascii" || c == u"ascii" || c == u"windows-1252";
}

void compress(Machine& m, ByteArrayObject* b, bool raw) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, raw ? -15 : 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        m.throwError(u"flash.errors::MemoryError", 1000, u"The system is out of memory.");
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(b->data.size())));
    z.next_in = b->data.data();
    z.avail_in = static_cast<uInt>(b->data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int r = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) m.throwError(u"flash.errors::MemoryError", 1000, u"The system is out of memory.");
    b->data = std::move(out);
    b->position = static_cast<uint32_t>(b->data.size());
}

void uncompress(Machine& m, ByteArrayObject* b, bool raw) {
    z_stream z{};
    if (inflateInit2(&z, raw ? -15 : 15) != Z_OK) m.throwError(u"flash.errors::MemoryError", 1000, u"The system is out of memory.");
    std::vector<uint8_t> out;
    uint8_t chunk[16384];
    z.next_in = b->data.data();
    z.avail_in = static_cast<uInt>(b->data.size());
    int r = Z_OK;
    while (r == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        r = inflate(&z, Z_NO_FLUSH);
        if (r != Z_OK && r != Z_STREAM_END) break;
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (out.size() > kMaxByteArrayLength) r = Z_MEM_ERROR;
        if (r == Z_OK && z.avail_in == 0 && z.avail_out != 0) r = Z_BUF_ERROR;  // input ended early
    }
    inflateEnd(&z);
    if (r != Z_STREAM_END) m.throwError(u"flash.errors::IOError", 2058, u"There was an error decompressing the data.");
    b->data = std::move(out);
    b->position = 0;
}

bool rawAlgorithm(Machine& m, Args a) {
    if (a.empty() || a[0].isUndefined()) return false;
    String alg = m.toString(a[0]);
    if (alg == u"deflate") return true;
    if (alg == u"zlib") return false;
    m.throwError(u"ArgumentError", 2008, u"Parameter algorithm must be one of the accepted values.");
}

}  // namespace

void installByteArrayBuiltins(Machine& m) {
    ClassObject* c = m.defineClass(u"flash.utils", u"ByteArray", m.objectClass, [](Machine&, const Value&, Args) { return Value(); },
                                   [](Machine& m, ClassObject*) -> Object* { return m.make<ByteArrayObject>(); });
    m.byteArrayClass = c;
    c->isSealedInstances = true;

    auto method = [&](const char16_t* name, int length, auto body) {
        m.defineMethod(c, name, length, [body](Machine& m, const Value& self, Args a) -> Value { return body(m, thisBytes(m, self), a); });
    };
    auto property = [&](const char16_t* name, auto get, auto set) {
        m.defineGetter(
            c, name, [get](Machine& m, const Value& self, Args) -> Value { return get(m, thisBytes(m, self)); },
            [set](Machine& m, const Value& self, Args a) -> Value {
                set(m, thisBytes(m, self), arg(a, 0));
                return Value();
            });
    };
    property(u"length", [](Machine&, ByteArrayObject* b) { return Value(static_cast<double>(b->data.size())); },
             [](Machine& m, ByteArrayObject* b, const Value& v) {
                 uint32_t n = m.toUint(v);
                 checkLength(m, n);
                 b->data.resize(n);
                 if (b->position > n) b->position = n;
             });
    property(u"position", [](Machine&, ByteArrayObject* b) { return Value(b->position); },
             [](Machine& m, ByteArrayObject* b, const Value& v) { b->position = m.toUint(v); });
    property(u"endian", [](Machine&, ByteArrayObject* b) { return Value(b->littleEndian ? u"littleEndian" : u"bigEndian"); },
             [](Machine& m, ByteArrayObject* b, const Value& v) {
                 String e = m.toString(v);
                 if (e == u"littleEndian") b->littleEndian = true;
                 else if (e == u"bigEndian") b->littleEndian = false;
                 else m.throwError(u"ArgumentError", 2008, u"Parameter endian must be one of the accepted values.");
             });
    property(u"objectEncoding", [](Machine&, ByteArrayObject* b) { return Value(b->objectEncoding); },
             [](Machine& m, ByteArrayObject* b, const Value& v) {
                 uint32_t e = m.toUint(v);
                 if (e != 0 && e != 3) m.throwError(u"ArgumentError", 2008, u"Parameter objectEncoding must be one of the accepted values.");
                 b->objectEncoding = e;
             });
    m.defineGetter(c, u"bytesAvailable", [](Machine& m, const Value& self, Args) -> Value {
        ByteArrayObject* b = thisBytes(m, self);
        return Value(b->position < b->data.size() ? static_cast<double>(b->data.size() - b->position) : 0.0);
    });

    method(u"readBoolean", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(*take(m, b, 1) != 0); });
    method(u"readByte", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(static_cast<int>(static_cast<int8_t>(*take(m, b, 1)))); });
    method(u"readUnsignedByte", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(static_cast<int>(*take(m, b, 1))); });
    method(u"readShort", 0, [](Machine& m, ByteArrayObject* b, Args) {
        return Value(static_cast<int>(static_cast<int16_t>(readUnsigned(m, b, 2))));
    });
    method(u"readUnsignedShort", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(static_cast<int>(readUnsigned(m, b, 2))); });
    method(u"readInt", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(static_cast<int>(static_cast<int32_t>(readUnsigned(m, b, 4)))); });
    method(u"readUnsignedInt", 0, [](Machine& m, ByteArrayObject* b, Args) { return Value(static_cast<uint32_t>(readUnsigned(m, b, 4))); });
    method(u"readFloat", 0, [](Machine& m, ByteArrayObject* b, Args) {
        uint32_t bits = static_cast<uint32_t>(readUnsigned(m, b, 4));
        float f;
        std::memcpy(&f, &bits, 4);
        return Value(static_cast<double>(f));
    });
    method(u"readDouble", 0, [](Machine& m, ByteArrayObject* b, Args) {
        uint64_t bits = readUnsigned(m, b, 8);
        double d;
        std::memcpy(&d, &bits, 8);
        return Value(d);
    });
    method(u"readUTF", 0, [](Machine& m, ByteArrayObject* b, Args) {
        size_t n = static_cast<size_t>(readUnsigned(m, b, 2));
        const uint8_t* p = take(m, b, n);
        return Value(decodeUtf8(p, n));
    });
    method(u"readUTFBytes", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        size_t n = m.toUint(arg(a, 0));
        const uint8_t* p = take(m, b, n);
        return Value(decodeUtf8(p, n));
    });
    method(u"readMultiByte", 2, [](Machine& m, ByteArrayObject* b, Args a) {
        size_t n = m.toUint(arg(a, 0));
        const uint8_t* p = take(m, b, n);
        if (!isLatin1(m.toString(arg(a, 1)))) return Value(decodeUtf8(p, n));
        String s;
        for (size_t i = 0; i < n && p[i]; ++i) s += static_cast<char16_t>(p[i]);
        return Value(s);
    });
    method(u"readBytes", 3, [](Machine& m, ByteArrayObject* b, Args a) {
        ByteArrayObject* to = thisBytes(m, arg(a, 0));
        uint32_t offset = m.toUint(arg(a, 1)), length = m.toUint(arg(a, 2));
        size_t available = b->position < b->data.size() ? b->data.size() - b->position : 0;
        if (length == 0) length = static_cast<uint32_t>(available);
        const uint8_t* p = take(m, b, length);
        std::vector<uint8_t> copy(p, p + length);  // `to` may be this array
        checkLength(m, static_cast<size_t>(offset) + length);
        if (static_cast<size_t>(offset) + length > to->data.size()) to->data.resize(static_cast<size_t>(offset) + length);
        if (length) std::memcpy(to->data.data() + offset, copy.data(), length);
        return Value();
    });

    method(u"writeBoolean", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        writeUnsigned(m, b, m.toBoolean(arg(a, 0)) ? 1 : 0, 1);
        return Value();
    });
    method(u"writeByte", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        writeUnsigned(m, b, m.toUint(arg(a, 0)), 1);
        return Value();
    });
    method(u"writeShort", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        writeUnsigned(m, b, m.toUint(arg(a, 0)), 2);
        return Value();
    });
    for (const char16_t* name : {u"writeInt", u"writeUnsignedInt"})
        method(name, 1, [](Machine& m, ByteArrayObject* b, Args a) {
            writeUnsigned(m, b, m.toUint(arg(a, 0)), 4);
            return Value();
        });
    method(u"writeFloat", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        float f = static_cast<float>(m.toNumber(arg(a, 0)));
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        writeUnsigned(m, b, bits, 4);
        return Value();
    });
    method(u"writeDouble", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        double d = m.toNumber(arg(a, 0));
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        writeUnsigned(m, b, bits, 8);
        return Value();
    });
    method(u"writeUTF", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        std::string s = encodeUtf8(m, arg(a, 0));
        if (s.size() > 65535) m.rangeError(2006, u"The supplied index is out of bounds.");
        writeUnsigned(m, b, s.size(), 2);
        put(m, b, reinterpret_cast<const uint8_t*>(s.data()), s.size());
        return Value();
    });
    method(u"writeUTFBytes", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        std::string s = encodeUtf8(m, arg(a, 0));
        put(m, b, reinterpret_cast<const uint8_t*>(s.data()), s.size());
        return Value();
    });
    method(u"writeMultiByte", 2, [](Machine& m, ByteArrayObject* b, Args a) {
        if (!isLatin1(m.toString(arg(a, 1)))) {
            std::string s = encodeUtf8(m, arg(a, 0));
            put(m, b, reinterpret_cast<const uint8_t*>(s.data()), s.size());
            return Value();
        }
        String s = m.toString(arg(a, 0));
        std::vector<uint8_t> bytes;
        for (char16_t ch : s) bytes.push_back(ch < 256 ? static_cast<uint8_t>(ch) : '?');
        put(m, b, bytes.data(), bytes.size());
        return Value();
    });
    method(u"writeBytes", 3, [](Machine& m, ByteArrayObject* b, Args a) {
        ByteArrayObject* from = thisBytes(m, arg(a, 0));
        uint32_t offset = m.toUint(arg(a, 1)), length = m.toUint(arg(a, 2));
        if (offset > from->data.size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        if (length == 0) length = static_cast<uint32_t>(from->data.size() - offset);
        if (length > from->data.size() - offset) m.rangeError(2006, u"The supplied index is out of bounds.");
        std::vector<uint8_t> copy(from->data.begin() + offset, from->data.begin() + offset + length);
        put(m, b, copy.data(), copy.size());
        return Value();
    });

    method(u"clear", 0, [](Machine&, ByteArrayObject* b, Args) {
        b->data.clear();
        b->data.shrink_to_fit();
        b->position = 0;
        return Value();
    });
    method(u"compress", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        compress(m, b, rawAlgorithm(m, a));
        return Value();
    });
    method(u"uncompress", 1, [](Machine& m, ByteArrayObject* b, Args a) {
        uncompress(m, b, rawAlgorithm(m, a));
        return Value();
    });
    method(u"deflate", 0, [](Machine& m, ByteArrayObject* b, Args) {
        compress(m, b, true);
        return Value();
    });
    method(u"inflate", 0, [](Machine& m, ByteArrayObject* b, Args) {
        uncompress(m, b, true);
        return Value();
    });
    method(u"toString", 0, [](Machine&, ByteArrayObject* b, Args) {
        // A UTF-16 byte order mark makes the bytes UTF-16 text in that order.
        const std::vector<uint8_t>& d = b->data;
        if (d.size() >= 2 && ((d[0] == 0xFE && d[1] == 0xFF) || (d[0] == 0xFF && d[1] == 0xFE))) {
            bool little = d[0] == 0xFF;
            String s;
            for (size_t i = 2; i + 1 < d.size(); i += 2)
                s += static_cast<char16_t>(little ? d[i] | (d[i + 1] << 8) : (d[i] << 8) | d[i + 1]);
            return Value(s);
        }
        return Value(decodeUtf8(d.data(), d.size(), false));
    });
}

}  // namespace swf::avm2
