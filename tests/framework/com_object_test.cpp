#include "framework/com_object.h"

#include <gtest/gtest.h>
#include <oleidl.h>

namespace {

using Microsoft::WRL::ComPtr;

// Two interfaces on one object; the destructor reports the object's end.
class Both : public framework::TInterfacedObject<IDropSource, IOleWindow> {
 public:
  explicit Both(bool* destroyed) : destroyed_(destroyed) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 protected:
  ~Both() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(ComObjectTest, LastReferenceEndsTheObject) {
  bool destroyed = false;
  ComPtr<Both> object = framework::MakeInterfaced<Both>(&destroyed);
  ComPtr<IOleWindow> window;
  ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&window)), S_OK);
  object.Reset();
  EXPECT_FALSE(destroyed) << "a reference is still held";
  window.Reset();
  EXPECT_TRUE(destroyed);
}

TEST(ComObjectTest, QueryInterfaceFollowsComRules) {
  bool destroyed = false;
  ComPtr<Both> object = framework::MakeInterfaced<Both>(&destroyed);
  ComPtr<IUnknown> from_source;
  ComPtr<IUnknown> from_window;
  ComPtr<IOleWindow> window;
  ComPtr<IDropSource> source;
  ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&window)), S_OK);
  ASSERT_EQ(window->QueryInterface(IID_PPV_ARGS(&source)), S_OK);
  ASSERT_EQ(source->QueryInterface(IID_PPV_ARGS(&from_source)), S_OK);
  ASSERT_EQ(window->QueryInterface(IID_PPV_ARGS(&from_window)), S_OK);
  EXPECT_EQ(from_source.Get(), from_window.Get()) << "one identity through every interface";

  ComPtr<IDataObject> data;
  EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&data)), E_NOINTERFACE);
  EXPECT_EQ(data.Get(), nullptr);
  EXPECT_EQ(object->QueryInterface(IID_IDropSource, nullptr), E_POINTER);
  // The object and the five references taken above.
  EXPECT_EQ(object->AddRef(), 6u);
  EXPECT_EQ(object->Release(), 5u);
}

}  // namespace
