#include "framework/persistent.h"

#include <gtest/gtest.h>

namespace {

using framework::EAssignError;
using framework::TPersistent;

class Plain : public TPersistent {
 public:
  std::wstring ClassName() const override { return L"TPlain"; }
};

// Knows how to copy itself into a Target, which knows nothing of it.
class Target : public TPersistent {
 public:
  std::wstring ClassName() const override { return L"TTarget"; }
  int value = 0;
};

class Source : public TPersistent {
 public:
  std::wstring ClassName() const override { return L"TSource"; }
  int value = 7;

 protected:
  void AssignTo(TPersistent& dest) override {
    if (auto* target = dynamic_cast<Target*>(&dest)) {
      target->value = value;
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

TEST(PersistentTest, RefusedPairingsNameBothClasses) {
  Plain plain;
  Target target;
  Source source;
  struct Case {
    TPersistent* dest;
    TPersistent* source;
    const wchar_t* message;
  } cases[] = {
      {&target, nullptr, L"Cannot assign a nil to a TTarget"},
      {&target, &plain, L"Cannot assign a TPlain to a TTarget"},
      {&plain, &source, L"Cannot assign a TSource to a TPlain"},
      {&source, &target, L"Cannot assign a TTarget to a TSource"},
  };
  for (const Case& c : cases) {
    try {
      c.dest->Assign(c.source);
      ADD_FAILURE() << "no error for " << framework::WideToUtf8(c.message);
    } catch (const EAssignError& error) {
      EXPECT_EQ(error.Message(), c.message);
    }
  }
  EXPECT_EQ(target.value, 0);
}

TEST(PersistentTest, SourceThatKnowsTheTargetCopiesItself) {
  Target target;
  Source source;
  target.Assign(&source);
  EXPECT_EQ(target.value, 7);
}

}  // namespace
