#pragma once
// Base of the program's own COM objects: a thread-safe reference count, and
// QueryInterface for IUnknown and each listed interface. The object deletes
// itself when the last reference goes, so it is only ever created through
// MakeInterfaced, which hands the first reference to a ComPtr.
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <utility>

namespace framework {

template <class First, class... Rest>
class TInterfacedObject : public First, public Rest... {
 public:
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown)) {
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!Find<First, Rest...>(iid, object)) {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  TInterfacedObject() = default;
  virtual ~TInterfacedObject() = default;

 private:
  template <class T, class... More>
  bool Find(REFIID iid, void** object) {
    if (iid == __uuidof(T)) {
      *object = static_cast<T*>(this);
      return true;
    }
    if constexpr (sizeof...(More) > 0) return Find<More...>(iid, object);
    return false;
  }

  std::atomic<ULONG> references_{0};
};

// Creates a T (derived from TInterfacedObject) holding its first reference.
template <class T, class... Args>
Microsoft::WRL::ComPtr<T> MakeInterfaced(Args&&... args) {
  Microsoft::WRL::ComPtr<T> object;
  object = new T(std::forward<Args>(args)...);  // the ComPtr takes the first reference
  return object;
}

}  // namespace framework
