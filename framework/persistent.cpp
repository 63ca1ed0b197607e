#include "framework/persistent.h"

namespace framework {

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(*this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent& dest) { dest.AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  const std::wstring source_name = source ? source->ClassName() : std::wstring(L"nil");
  throw EAssignError(L"Cannot assign a " + source_name + L" to a " + ClassName());
}

}  // namespace framework
