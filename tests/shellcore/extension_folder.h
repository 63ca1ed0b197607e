#pragma once
// A small namespace-extension folder of the tests' own. The shell's folders
// under Wine all offer IShellFolder2 with every column shown by default and
// never hand out IShellDetails, so the paths a third-party folder takes
// (columns hidden or off by default; only IShellFolder, details through one
// of the older ways) are exercised with this real COM object instead.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/com_object.h"
#include "shellcore/shell_access.h"

namespace shell_test {

struct ExtensionColumn {
  std::wstring title;
  int chars;
  int format;  // LVCFMT_*
  SHCOLSTATEF state = SHCOLSTATE_ONBYDEFAULT;
  bool state_known = true;  // false: GetDefaultColumnState fails
};

class ExtensionDetails : public framework::TInterfacedObject<IShellDetails> {
 public:
  ExtensionDetails(std::vector<ExtensionColumn> columns, int* alive) : columns_(std::move(columns)), alive_(alive) {
    if (alive_) ++*alive_;
  }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS* details) override;
  HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return E_NOTIMPL; }

 protected:
  ~ExtensionDetails() override {
    if (alive_) --*alive_;
  }

 private:
  std::vector<ExtensionColumn> columns_;
  int* alive_;
};

// Which way the folder hands out IShellDetails, and what it answers there.
enum class DetailsWay { kNone, kQueryInterface, kUiObjectNoItems, kViewObject, kUiObjectOneItem };

// Offers IShellFolder2 only when `newer_interface` is set.
class ExtensionFolder : public framework::TInterfacedObject<IShellFolder2> {
 public:
  ExtensionFolder(DetailsWay way, HRESULT answer, std::vector<ExtensionColumn> columns, bool newer_interface = false)
      : way_(way), answer_(answer), columns_(std::move(columns)), newer_interface_(newer_interface) {}

  // Details objects alive (handed out and not yet released).
  int alive_details = 0;
  // Item counts of the GetUIObjectOf calls that asked for IShellDetails.
  std::vector<UINT> ui_object_counts;
  // Answers for every column number, as a faulty extension may.
  bool endless_columns = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT count, PCUITEMID_CHILD_ARRAY, REFIID iid, UINT*,
                                          void** object) override;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultSearchGUID(GUID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumSearches(IEnumExtraSearch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDefaultColumn(DWORD, ULONG*, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDefaultColumnState(UINT column, SHCOLSTATEF* state) override;
  HRESULT STDMETHODCALLTYPE GetDetailsEx(PCUITEMID_CHILD, const SHCOLUMNID*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD, UINT column, SHELLDETAILS* details) override;
  HRESULT STDMETHODCALLTYPE MapColumnToSCID(UINT, SHCOLUMNID*) override { return E_NOTIMPL; }

 protected:
  ~ExtensionFolder() override = default;

 private:
  HRESULT HandOut(DetailsWay way, void** object);

  DetailsWay way_;
  HRESULT answer_;
  std::vector<ExtensionColumn> columns_;
  bool newer_interface_;
};

// A real folder seen through an object of the tests' own: every call goes
// to the real folder unless a derived class answers it itself.
class ForwardingFolder : public framework::TInterfacedObject<IShellFolder> {
 public:
  explicit ForwardingFolder(IShellFolder* real) : real_(real) {}
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* b, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* l,
                                             ULONG* a) override {
    return real_->ParseDisplayName(w, b, n, e, l, a);
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) override {
    return real_->EnumObjects(w, f, e);
  }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE l, IBindCtx* b, REFIID i, void** o) override {
    return real_->BindToObject(l, b, i, o);
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE l, IBindCtx* b, REFIID i, void** o) override {
    return real_->BindToStorage(l, b, i, o);
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM p, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
    return real_->CompareIDs(p, a, b);
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override {
    return real_->CreateViewObject(w, i, o);
  }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT c, PCUITEMID_CHILD_ARRAY a, SFGAOF* f) override {
    return real_->GetAttributesOf(c, a, f);
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT c, PCUITEMID_CHILD_ARRAY a, REFIID i, UINT* r,
                                          void** o) override {
    return real_->GetUIObjectOf(w, c, a, i, r, o);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
    return real_->GetDisplayNameOf(l, f, n);
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD l, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override {
    return real_->SetNameOf(w, l, n, f, o);
  }

 private:
  Microsoft::WRL::ComPtr<IShellFolder> real_;
};

// Fills `details` for one column; E_FAIL past the last.
HRESULT ColumnDetails(const std::vector<ExtensionColumn>& columns, UINT column, SHELLDETAILS* details);

}  // namespace shell_test
