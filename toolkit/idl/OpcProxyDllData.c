/* The entry points of the proxy/stub DLL: its class object, unloading, and
 * registration of every OPC interface under the DLL's own class ID
 * (HKCR\Interface\{iid}\ProxyStubClsid32 and HKCR\CLSID\{clsid}\InprocServer32).
 * The class ID is this DLL's own, so registering it never takes over the
 * class of another vendor's proxy DLL. */
#define REGISTER_PROXY_DLL
/* {92A9B08E-99AC-495F-873C-5D85D7A7FD2C} */
#define PROXY_CLSID_IS {0x92A9B08E, 0x99AC, 0x495F, {0x87, 0x3C, 0x5D, 0x85, 0xD7, 0xA7, 0xFD, 0x2C}}

#include "dlldata.c"
