#include "Core/Util/TSingleton.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

namespace {

class Plain : public TSingleton<Plain>
{
};

struct PolyBase
{
    virtual ~PolyBase() = default;
};

// Not empty, so the singleton base cannot share the address of PolyBase.
class Second;
struct Tail : TSingleton<Second>
{
    int m_iTail = 4;
};

// The singleton base sits behind a polymorphic base.
class Second : public PolyBase, public Tail
{
};

TEST(TSingletonTest, ConstructionRegistersAndDestructionClears)
{
    AssertRecorder rec;
    {
        Plain p;
        EXPECT_EQ(&p, TSingleton<Plain>::Instance());
        EXPECT_EQ(nullptr, TSingleton<Second>::Instance()); // each class has its own instance
        EXPECT_EQ(std::vector<std::string>{"s_instance"}, rec.Failures());

        // The instance points at the derived object, not at its base.
        Second s;
        ASSERT_NE(static_cast<void*>(&s), static_cast<void*>(static_cast<TSingleton<Second>*>(&s)));
        EXPECT_EQ(&s, TSingleton<Second>::Instance());
        rec.Clear();
    }
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_EQ(nullptr, TSingleton<Plain>::Instance());
    EXPECT_EQ(std::vector<std::string>{"s_instance"}, rec.Failures());
}

TEST(TSingletonTest, SecondInstanceFailsTheAssertionAndTakesOver)
{
    AssertRecorder rec;
    auto* first = new Plain;
    auto* second = new Plain;
    EXPECT_EQ(std::vector<std::string>{"(!s_instance) && \"TSingleton - Can´t create another Instance of Class!\""},
              rec.Failures());
    EXPECT_EQ(second, TSingleton<Plain>::Instance());
    delete second;
    rec.Clear();
    delete first; // the instance is already gone
    EXPECT_EQ(std::vector<std::string>{"s_instance"}, rec.Failures());
}

} // namespace
