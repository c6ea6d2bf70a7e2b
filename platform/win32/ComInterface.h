#pragma once

#include <cstring>

#include <ddraw.h>

namespace platform {

inline bool sameGuid(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// QueryInterface of an object that offers one interface besides IUnknown: it hands out itself,
// with a reference added, for either identifier.
template <class Interface>
HRESULT queryOwnInterface(Interface* self, const IID& own, REFIID riid, LPVOID* ppvObj) {
  if (!ppvObj) return E_POINTER;
  if (sameGuid(riid, own) || sameGuid(riid, IID_IUnknown)) {
    self->AddRef();
    *ppvObj = self;
    return S_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

}  // namespace platform
