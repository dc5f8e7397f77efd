#include "Core/Util/TSingleton.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

namespace {

const char* const kSecondInstance =
    "(!s_instance) && \"TSingleton - Can´t create another Instance of Class!\"";

class Plain : public TSingleton<Plain>
{
};

struct PolyBase
{
    virtual ~PolyBase() = default;
    int m_iValue = 3;
};

class Second;
struct Tail : TSingleton<Second>
{
    int m_iTail = 4;
};

// The singleton base sits behind a polymorphic base, and the class has a vptr.
class Second : public PolyBase, public Tail
{
public:
    virtual int Value() const { return m_iValue; }
};

} // namespace

TEST(TSingleton, ConstructionRegistersAndDestructionClears)
{
    AssertRecorder rec;
    {
        Plain p;
        EXPECT_EQ(&p, TSingleton<Plain>::Instance());
        EXPECT_EQ(nullptr, TSingleton<Second>::Instance()); // each class has its own instance
        EXPECT_TRUE(rec.Saw("s_instance"));
        rec.Clear();
    }
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_EQ(nullptr, TSingleton<Plain>::Instance());
    EXPECT_EQ(std::vector<std::string>{"s_instance"}, rec.Failures());
}

TEST(TSingleton, InstancePointsAtTheDerivedObjectWhenTheBaseIsNotFirst)
{
    AssertRecorder rec;
    Second s;
    ASSERT_NE(static_cast<void*>(&s), static_cast<void*>(static_cast<TSingleton<Second>*>(&s)));
    EXPECT_EQ(&s, TSingleton<Second>::Instance());
    EXPECT_EQ(3, TSingleton<Second>::Instance()->Value());
    EXPECT_TRUE(rec.Failures().empty());
}

TEST(TSingleton, SecondInstanceFailsTheAssertionAndTakesOver)
{
    AssertRecorder rec;
    auto* first = new Plain;
    auto* second = new Plain;
    EXPECT_EQ(std::vector<std::string>{kSecondInstance}, rec.Failures());
    EXPECT_EQ(second, TSingleton<Plain>::Instance());
    delete second;
    rec.Clear();
    delete first; // the instance is already gone
    EXPECT_EQ(std::vector<std::string>{"s_instance"}, rec.Failures());
}
