#pragma once
// A small namespace-extension folder of the tests' own. The shell's folders
// under Wine all offer IShellFolder2 and never hand out IShellDetails, so
// the paths a third-party folder takes (only IShellFolder; details through
// one of the older ways) are exercised with this real COM object instead.
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

class ExtensionFolder : public framework::TInterfacedObject<IShellFolder> {
 public:
  ExtensionFolder(DetailsWay way, HRESULT answer, std::vector<ExtensionColumn> columns)
      : way_(way), answer_(answer), columns_(std::move(columns)) {}

  // Details objects alive (handed out and not yet released).
  int alive_details = 0;
  // Item counts of the GetUIObjectOf calls that asked for IShellDetails.
  std::vector<UINT> ui_object_counts;

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

 protected:
  ~ExtensionFolder() override = default;

 private:
  HRESULT HandOut(DetailsWay way, void** object);

  DetailsWay way_;
  HRESULT answer_;
  std::vector<ExtensionColumn> columns_;
};

}  // namespace shell_test
