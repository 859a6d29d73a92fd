// The heap: what a collection frees is reset and reused, and call activations come back to it.
#include <gtest/gtest.h>

#include "engine/avm1/function_code.h"
#include "engine/avm1/object.h"

namespace swf::avm1 {
namespace {

TEST(HeapTest, FreedObjectsAreReusedAsNewOnes) {
    Heap heap;
    Object* kept = heap.make();
    Object* dropped = heap.make();
    dropped->put("x", "x", Value(1.0), DontEnum);
    dropped->proto = kept;
    dropped->isArray = true;
    dropped->elements.push_back(Value(2.0));
    dropped->clip = reinterpret_cast<Clip*>(dropped);  // any non-null pointer: it must be cleared
    dropped->code = std::make_shared<FunctionCode>();
    kept->put("k", "k", Value(3.0));
    heap.collect({kept});
    ASSERT_EQ(heap.size(), 1u);
    EXPECT_EQ(heap.spares(), 1u);
    ASSERT_NE(kept->find("k"), nullptr);  // the survivor is untouched
    EXPECT_FALSE(kept->marked);

    Object* reused = heap.make();
    EXPECT_EQ(heap.spares(), 0u);
    EXPECT_EQ(heap.size(), 2u);
    EXPECT_EQ(reused->find("x"), nullptr);
    EXPECT_EQ(reused->proto, nullptr);
    EXPECT_FALSE(reused->isArray);
    EXPECT_TRUE(reused->elements.empty());
    EXPECT_EQ(reused->clip, nullptr);
    EXPECT_FALSE(reused->isFunction());
    int count = 0;
    reused->forEach([&](const Property&) { ++count; });
    EXPECT_EQ(count, 0);
    // A property written again on the reused object is found, and keeps its own flags.
    reused->put("x", "x", Value(4.0));
    ASSERT_NE(reused->find("x"), nullptr);
    EXPECT_EQ(reused->find("x")->flags, 0);
}

TEST(HeapTest, ObjectsThatOutgrowTheIndexStartOverWhenReused) {
    Heap heap;
    Object* big = heap.make();
    for (int i = 0; i < 40; ++i) big->put("p" + std::to_string(i), "p" + std::to_string(i), Value(double(i)));
    heap.collect({});
    Object* reused = heap.make();
    EXPECT_EQ(reused->find("p3"), nullptr);  // no stale hash index answers for it
    for (int i = 0; i < 3; ++i) reused->put("q" + std::to_string(i), "q" + std::to_string(i), Value(double(i)));
    ASSERT_NE(reused->find("q2"), nullptr);
    EXPECT_EQ(reused->find("q2")->value.number(), 2.0);
    EXPECT_EQ(reused->find("p3"), nullptr);
}

TEST(HeapTest, AnActivationJoinsTheHeapOnlyWhenKept) {
    Heap heap;
    auto first = heap.borrow();
    first->put("local", "local", Value(1.0));
    Object* firstAddress = first.get();
    heap.release(std::move(first), false);
    EXPECT_EQ(heap.size(), 0u);
    EXPECT_EQ(heap.spares(), 1u);

    auto second = heap.borrow();
    EXPECT_EQ(second.get(), firstAddress);  // reused
    EXPECT_EQ(second->find("local"), nullptr);
    heap.release(std::move(second), true);  // a closure holds it: now the collector's
    EXPECT_EQ(heap.size(), 1u);
    EXPECT_EQ(heap.spares(), 0u);
    heap.collect({firstAddress});
    EXPECT_EQ(heap.size(), 1u);
}

}  // namespace
}  // namespace swf::avm1
