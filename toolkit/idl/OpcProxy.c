/* The proxy/stub code widl generated from OpcInterfaces.idl, with its
 * [out, string] parameters repaired (fix_out_string_params.py) and its [in]
 * arrays that stubs copy described so that the stubs free the copies
 * (fix_in_array_params.py).
 *
 * Its proxies take their IUnknown methods from rpcrt4, which exports them
 * but whose C headers here do not declare them. */
#include <objbase.h>

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);

#include "OpcInterfaces_p.c"
