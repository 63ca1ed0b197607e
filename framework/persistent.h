#pragma once
// Base of the assignable option objects that controls own (roots, options,
// drag-and-drop settings). A copy between two such objects is asked of the
// target (Assign); a target that does not know the source asks the source
// (AssignTo); when neither knows the other the copy is refused with
// EAssignError, so a wrong pairing never copies half of an object.
#include <string>

#include "framework/system_error.h"

namespace framework {

class EAssignError : public Exception {
 public:
  using Exception::Exception;
};

class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  // Copies `source` into this object. A null source is refused.
  virtual void Assign(TPersistent* source);
  virtual std::wstring ClassName() const { return L"TPersistent"; }

 protected:
  // Copies this object into `dest`; the base refuses.
  virtual void AssignTo(TPersistent& dest);
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace framework
