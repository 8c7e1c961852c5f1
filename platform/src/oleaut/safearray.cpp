#include "platform/safearray.h"

#include "oleaut/varianttype.h"
#include "platform/bstr.h"
#include "platform/variant.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

// The element type lives in a header just before the descriptor, where the
// target platform keeps it too; 16 bytes keep the descriptor aligned.
constexpr size_t kHeaderBytes = 16;

unsigned char* BlockOf(SAFEARRAY* psa) { return reinterpret_cast<unsigned char*>(psa) - kHeaderBytes; }

VARTYPE& StoredVartype(SAFEARRAY* psa) { return *reinterpret_cast<VARTYPE*>(BlockOf(psa)); }

USHORT OwnershipFeature(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_BSTR;
    case VT_UNKNOWN:
      return FADF_UNKNOWN;
    case VT_DISPATCH:
      return FADF_DISPATCH;
    case VT_VARIANT:
      return FADF_VARIANT;
    default:
      return 0;
  }
}

// Number of elements, or false when the bounds describe more than memory can
// hold or an upper bound beyond the LONG range.
bool CountElements(UINT cDims, const SAFEARRAYBOUND* bounds, ULONG cbElements, size_t* count) {
  size_t total = 1;
  for (UINT i = 0; i < cDims; ++i) {
    if (int64_t{bounds[i].lLbound} + bounds[i].cElements - 1 > INT32_MAX) return false;
    if (bounds[i].cElements != 0 && total > SIZE_MAX / cbElements / bounds[i].cElements) return false;
    total *= bounds[i].cElements;
  }
  *count = total;
  return true;
}

size_t ElementCount(const SAFEARRAY* psa) {
  size_t total = 1;
  for (UINT i = 0; i < psa->cDims; ++i) total *= psa->rgsabound[i].cElements;
  return total;
}

// A descriptor and zeroed data for the given bounds, already in stored
// (right-most first) order.
SAFEARRAY* AllocateArray(VARTYPE vt, USHORT fFeatures, ULONG cbElements, UINT cDims,
                         const SAFEARRAYBOUND* storedBounds) {
  size_t count = 0;
  if (cDims == 0 || cDims > UINT16_MAX || !CountElements(cDims, storedBounds, cbElements, &count)) return nullptr;
  const size_t descriptorBytes = sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<unsigned char*>(std::calloc(1, kHeaderBytes + descriptorBytes));
  if (block == nullptr) return nullptr;
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHeaderBytes);
  // Zero-length arrays still get a data block, so pvData is never null.
  psa->pvData = std::calloc(count == 0 ? 1 : count, cbElements);
  if (psa->pvData == nullptr) {
    std::free(block);
    return nullptr;
  }
  StoredVartype(psa) = vt;
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = fFeatures;
  psa->cbElements = cbElements;
  std::memcpy(psa->rgsabound, storedBounds, cDims * sizeof(SAFEARRAYBOUND));
  return psa;
}

void ReleaseElement(USHORT fFeatures, void* element) {
  if (fFeatures & FADF_BSTR) {
    BSTR& text = *static_cast<BSTR*>(element);
    SysFreeString(text);
    text = nullptr;
  } else if (fFeatures & FADF_VARIANT) {
    VariantClear(static_cast<VARIANT*>(element));
  } else if (fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown*& object = *static_cast<IUnknown**>(element);
    if (object != nullptr) object->Release();
    object = nullptr;
  }
}

// Copies one element into fresh (zeroed or released) storage.
HRESULT CopyElement(USHORT fFeatures, ULONG cbElements, const void* from, void* to) {
  if (fFeatures & FADF_BSTR) {
    BSTR source = *static_cast<const BSTR*>(from);
    BSTR copy = nullptr;
    if (source != nullptr) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
      if (copy == nullptr) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(to) = copy;
  } else if (fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(to));
    return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
  } else if (fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* object = *static_cast<IUnknown* const*>(from);
    if (object != nullptr) object->AddRef();
    *static_cast<IUnknown**>(to) = object;
  } else {
    std::memcpy(to, from, cbElements);
  }
  return S_OK;
}

void ReleaseAllElements(SAFEARRAY* psa) {
  if ((psa->fFeatures & (FADF_BSTR | FADF_VARIANT | FADF_UNKNOWN | FADF_DISPATCH)) == 0) return;
  auto* data = static_cast<unsigned char*>(psa->pvData);
  const size_t count = ElementCount(psa);
  for (size_t i = 0; i < count; ++i) ReleaseElement(psa->fFeatures, data + i * psa->cbElements);
}

// Address of the element at rgIndices, or null when an index is out of bounds.
void* ElementAt(SAFEARRAY* psa, const LONG* rgIndices) {
  size_t cell = 0;
  size_t stride = 1;
  for (UINT dim = 0; dim < psa->cDims; ++dim) {
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - dim];
    const int64_t position = int64_t{rgIndices[dim]} - bound.lLbound;
    if (position < 0 || position >= int64_t{bound.cElements}) return nullptr;
    cell += static_cast<size_t>(position) * stride;
    stride *= bound.cElements;
  }
  return static_cast<unsigned char*>(psa->pvData) + cell * psa->cbElements;
}

const SAFEARRAYBOUND* BoundOf(SAFEARRAY* psa, UINT nDim) {
  if (psa == nullptr || nDim == 0 || nDim > psa->cDims) return nullptr;
  return &psa->rgsabound[psa->cDims - nDim];
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  const ULONG size = ValueSize(vt);
  if (size == 0 || rgsabound == nullptr || cDims == 0 || cDims > UINT16_MAX) return nullptr;
  const std::vector<SAFEARRAYBOUND> stored(std::make_reverse_iterator(rgsabound + cDims),
                                           std::make_reverse_iterator(rgsabound));
  return AllocateArray(vt, static_cast<USHORT>(FADF_HAVEVARTYPE | OwnershipFeature(vt)), size, cDims, stored.data());
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound = {cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (__atomic_load_n(&psa->cLocks, __ATOMIC_ACQUIRE) != 0) return DISP_E_ARRAYISLOCKED;
  ReleaseAllElements(psa);
  std::free(psa->pvData);
  std::free(BlockOf(psa));
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (ppsaOut == nullptr) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (psa == nullptr) return S_OK;
  SAFEARRAY* copy = AllocateArray(StoredVartype(psa), psa->fFeatures, psa->cbElements, psa->cDims, psa->rgsabound);
  if (copy == nullptr) return E_OUTOFMEMORY;
  const auto* from = static_cast<const unsigned char*>(psa->pvData);
  auto* to = static_cast<unsigned char*>(copy->pvData);
  const size_t count = ElementCount(psa);
  for (size_t i = 0; i < count; ++i) {
    const HRESULT hr =
        CopyElement(psa->fFeatures, psa->cbElements, from + i * psa->cbElements, to + i * psa->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(copy);
      return hr;
    }
  }
  *ppsaOut = copy;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cDims; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cbElements; }

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (psa == nullptr || pvt == nullptr || (psa->fFeatures & FADF_HAVEVARTYPE) == 0) return E_INVALIDARG;
  *pvt = StoredVartype(psa);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
  const SAFEARRAYBOUND* bound = BoundOf(psa, nDim);
  if (bound == nullptr) return DISP_E_BADINDEX;
  *plLbound = bound->lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
  const SAFEARRAYBOUND* bound = BoundOf(psa, nDim);
  if (bound == nullptr) return DISP_E_BADINDEX;
  *plUbound = static_cast<LONG>(int64_t{bound->lLbound} + bound->cElements - 1);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  __atomic_add_fetch(&psa->cLocks, 1, __ATOMIC_ACQ_REL);
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  ULONG locks = __atomic_load_n(&psa->cLocks, __ATOMIC_ACQUIRE);
  do {
    if (locks == 0) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&psa->cLocks, &locks, locks - 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE));
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (psa == nullptr || ppvData == nullptr) return E_INVALIDARG;
  SafeArrayLock(psa);
  *ppvData = psa->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
  const bool holdsPointers = (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0;
  if (pv == nullptr && !holdsPointers) return E_INVALIDARG;
  void* element = ElementAt(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  SafeArrayLock(psa);
  HRESULT hr = S_OK;
  if (psa->fFeatures & FADF_VARIANT) {
    hr = VariantCopy(static_cast<VARIANT*>(element), static_cast<const VARIANT*>(pv));
  } else {
    // Strings and interfaces are passed as themselves, not through a pointer;
    // the new copy is made before the old element goes, in case they are the same.
    const void* source = holdsPointers ? static_cast<const void*>(&pv) : pv;
    unsigned char copy[sizeof(void*)];
    hr = CopyElement(psa->fFeatures, psa->cbElements, source, copy);
    if (SUCCEEDED(hr)) {
      ReleaseElement(psa->fFeatures, element);
      std::memcpy(element, copy, psa->cbElements);
    }
  }
  SafeArrayUnlock(psa);
  return hr;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr || pv == nullptr) return E_INVALIDARG;
  void* element = ElementAt(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  SafeArrayLock(psa);
  const HRESULT hr = CopyElement(psa->fFeatures, psa->cbElements, element, pv);
  SafeArrayUnlock(psa);
  return hr;
}
