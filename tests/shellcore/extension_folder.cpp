#include "tests/shellcore/extension_folder.h"

#include <shlwapi.h>

namespace shell_test {

HRESULT ColumnDetails(const std::vector<ExtensionColumn>& columns, UINT column, SHELLDETAILS* details) {
  if (column >= columns.size()) return E_FAIL;
  const ExtensionColumn& c = columns[column];
  details->fmt = c.format;
  details->cxChar = c.chars;
  details->str.uType = STRRET_WSTR;
  return SHStrDupW(c.title.c_str(), &details->str.pOleStr);
}

HRESULT STDMETHODCALLTYPE ExtensionDetails::GetDetailsOf(PCUITEMID_CHILD, UINT column, SHELLDETAILS* details) {
  return ColumnDetails(columns_, column, details);
}

HRESULT STDMETHODCALLTYPE ExtensionFolder::GetDetailsOf(PCUITEMID_CHILD, UINT column, SHELLDETAILS* details) {
  if (endless_columns) return ColumnDetails({{L"Column " + std::to_wstring(column), 4, LVCFMT_LEFT}}, 0, details);
  return ColumnDetails(columns_, column, details);
}

HRESULT STDMETHODCALLTYPE ExtensionFolder::GetDefaultColumnState(UINT column, SHCOLSTATEF* state) {
  if (column >= columns_.size() || !columns_[column].state_known) return E_NOTIMPL;
  *state = columns_[column].state;
  return S_OK;
}

HRESULT ExtensionFolder::HandOut(DetailsWay way, void** object) {
  *object = nullptr;
  if (way != way_) return E_NOINTERFACE;
  Microsoft::WRL::ComPtr<ExtensionDetails> details =
      framework::MakeInterfaced<ExtensionDetails>(columns_, &alive_details);
  *object = static_cast<IShellDetails*>(details.Detach());
  return answer_;
}

HRESULT STDMETHODCALLTYPE ExtensionFolder::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IShellDetails) return HandOut(DetailsWay::kQueryInterface, object);
  if (iid == IID_IShellFolder) {
    *object = static_cast<IShellFolder*>(this);
    AddRef();
    return S_OK;
  }
  if (iid == IID_IShellFolder2 && !newer_interface_) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  return TInterfacedObject::QueryInterface(iid, object);
}

HRESULT STDMETHODCALLTYPE ExtensionFolder::CreateViewObject(HWND, REFIID iid, void** object) {
  if (iid == IID_IShellDetails) return HandOut(DetailsWay::kViewObject, object);
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ExtensionFolder::GetUIObjectOf(HWND, UINT count, PCUITEMID_CHILD_ARRAY, REFIID iid, UINT*,
                                                         void** object) {
  *object = nullptr;
  if (iid != IID_IShellDetails) return E_NOINTERFACE;
  ui_object_counts.push_back(count);
  return HandOut(count == 0 ? DetailsWay::kUiObjectNoItems : DetailsWay::kUiObjectOneItem, object);
}

}  // namespace shell_test
