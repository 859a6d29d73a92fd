#include "engine/avm1/object.h"

#include "engine/avm1/function_code.h"

namespace swf::avm1 {

size_t Object::slot(const std::string& key) const {
    if (indexed_) {
        auto it = index_.find(key);
        return it == index_.end() ? kMissing : it->second;
    }
    for (size_t i = 0; i < keys_.size(); ++i)
        if (props_[i].live && keys_[i] == key) return i;
    return kMissing;
}

void Object::reindex() {
    index_.clear();
    indexed_ = props_.size() > kScanLimit;
    if (!indexed_) return;
    for (size_t i = 0; i < props_.size(); ++i)
        if (props_[i].live) index_[keys_[i]] = i;
}

Property* Object::find(const std::string& key) {
    size_t i = slot(key);
    return i == kMissing ? nullptr : &props_[i];
}

const Property* Object::find(const std::string& key) const {
    size_t i = slot(key);
    return i == kMissing ? nullptr : &props_[i];
}

Property& Object::put(const std::string& key, const std::string& name, Value v, uint16_t flags) {
    if (Property* p = find(key)) {
        p->value = std::move(v);
        return *p;
    }
    keys_.push_back(key);
    props_.push_back(Property{name, std::move(v), nullptr, nullptr, flags, true});
    if (indexed_) index_[key] = props_.size() - 1;
    else if (props_.size() > kScanLimit) reindex();
    return props_.back();
}

bool Object::remove(const std::string& key) {
    size_t i = slot(key);
    if (i == kMissing) return false;
    props_[i].live = false;
    props_[i].value = Value();
    keys_[i].clear();
    if (indexed_) index_.erase(key);
    // Compact once dead entries dominate, so that add/delete loops stay bounded in memory.
    if (++dead_ > 16 && dead_ * 2 > props_.size()) {
        std::vector<Property> kept;
        std::vector<std::string> keptKeys;
        for (size_t j = 0; j < props_.size(); ++j) {
            if (!props_[j].live) continue;
            kept.push_back(std::move(props_[j]));
            keptKeys.push_back(std::move(keys_[j]));
        }
        props_ = std::move(kept);
        keys_ = std::move(keptKeys);
        dead_ = 0;
        reindex();
    }
    return true;
}

long long arrayIndex(const std::string& name) {
    if (name.empty() || name.size() > 10) return -1;
    if (name.size() > 1 && name[0] == '0') return -1;
    long long n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

uint16_t Object::elementFlagsAt(size_t i) const {
    if (!elementFlags) return 0;
    auto it = elementFlags->find(i);
    return it == elementFlags->end() ? 0 : it->second;
}

void Object::recycle() {
    constexpr size_t kKeptCapacity = 32;
    std::vector<Property> props = std::move(props_);
    std::vector<std::string> keys = std::move(keys_);
    *this = Object();
    if (props.capacity() > kKeptCapacity) return;
    props.clear();
    keys.clear();
    props_ = std::move(props);
    keys_ = std::move(keys);
}

std::unique_ptr<Object> Heap::fresh() {
    if (spare_.empty()) return std::make_unique<Object>();
    std::unique_ptr<Object> o = std::move(spare_.back());
    spare_.pop_back();
    return o;
}

void Heap::keepSpare(std::unique_ptr<Object> o) {
    o->recycle();
    if (spare_.size() < kMaxSpares) spare_.push_back(std::move(o));
}

Object* Heap::make() {
    objects_.push_back(fresh());
    return objects_.back().get();
}

std::unique_ptr<Object> Heap::borrow() { return fresh(); }

void Heap::release(std::unique_ptr<Object> o, bool kept) {
    if (!o) return;
    if (kept) objects_.push_back(std::move(o));
    else keepSpare(std::move(o));
}

static void markValue(const Value& v, std::vector<Object*>& work) {
    if (Object* o = v.object()) work.push_back(o);
}

void Heap::collect(const std::vector<Object*>& roots) {
    std::vector<Object*> work(roots.begin(), roots.end());
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        if (!o || o->marked) continue;
        o->marked = true;
        work.push_back(o->proto);
        work.push_back(o->slotA);
        work.push_back(o->slotB);
        for (Object* s : o->scope) work.push_back(s);
        for (const Value& v : o->elements) markValue(v, work);
        markValue(o->primitive, work);
        if (o->state) o->state->references(work);
        if (o->watches)
            for (auto& [k, w] : *o->watches) {
                work.push_back(w.callback);
                markValue(w.userData, work);
            }
        o->forEach([&](const Property& p) {
            markValue(p.value, work);
            work.push_back(p.getter);
            work.push_back(p.setter);
        });
    }
    size_t kept = 0;
    for (auto& o : objects_) {
        if (o->marked) {
            o->marked = false;
            std::swap(objects_[kept++], o);
        }
    }
    // Everything past `kept` is unreachable: reset now and kept for reuse.
    for (size_t i = kept; i < objects_.size(); ++i)
        if (objects_[i]) keepSpare(std::move(objects_[i]));
    objects_.resize(kept);
}

}  // namespace swf::avm1
