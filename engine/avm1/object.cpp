#include "engine/avm1/object.h"

#include "engine/avm1/function_code.h"

namespace swf::avm1 {

Property* Object::find(const std::string& key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &props_[it->second];
}

const Property* Object::find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &props_[it->second];
}

Property& Object::put(const std::string& key, const std::string& name, Value v, uint16_t flags) {
    if (Property* p = find(key)) {
        p->value = std::move(v);
        return *p;
    }
    index_[key] = props_.size();
    props_.push_back(Property{name, std::move(v), nullptr, nullptr, flags, true});
    return props_.back();
}

bool Object::remove(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    props_[it->second].live = false;
    props_[it->second].value = Value();
    index_.erase(it);
    // Compact once dead entries dominate, so that add/delete loops stay bounded in memory.
    if (++dead_ > 16 && dead_ * 2 > props_.size()) {
        std::vector<Property> kept;
        std::vector<std::string> keys(props_.size());
        for (auto& [k, i] : index_) keys[i] = k;
        index_.clear();
        for (size_t i = 0; i < props_.size(); ++i) {
            if (!props_[i].live) continue;
            index_[keys[i]] = kept.size();
            kept.push_back(std::move(props_[i]));
        }
        props_ = std::move(kept);
        dead_ = 0;
    }
    return true;
}

Object* Heap::make() {
    objects_.push_back(std::make_unique<Object>());
    return objects_.back().get();
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
            objects_[kept++] = std::move(o);
        }
    }
    objects_.resize(kept);
}

}  // namespace swf::avm1
