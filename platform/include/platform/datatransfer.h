// What a data transfer describes: the format of the data (FORMATETC) and the
// storage that carries it (STGMEDIUM), with the published field lists and
// constant values. Only global memory is used as a medium here.
#pragma once

#include "platform/globalmemory.h"
#include "platform/unknown.h"
#include "platform/wintypes.h"

struct IStream;
struct IStorage;

// A target device description; no data of this system is rendered for a device.
struct DVTARGETDEVICE {
  DWORD tdSize;
  WORD tdDriverNameOffset;
  WORD tdDeviceNameOffset;
  WORD tdPortNameOffset;
  WORD tdExtDevmodeOffset;
  BYTE tdData[1];
};

// Which view of the data.
enum DVASPECT : DWORD {
  DVASPECT_CONTENT = 1,
  DVASPECT_THUMBNAIL = 2,
  DVASPECT_ICON = 4,
  DVASPECT_DOCPRINT = 8,
};

// Which kind of storage carries the data.
enum TYMED : DWORD {
  TYMED_NULL = 0,
  TYMED_HGLOBAL = 1,
  TYMED_FILE = 2,
  TYMED_ISTREAM = 4,
  TYMED_ISTORAGE = 8,
  TYMED_GDI = 16,
  TYMED_MFPICT = 32,
  TYMED_ENHMF = 64,
};

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};
typedef FORMATETC* LPFORMATETC;

struct STGMEDIUM {
  DWORD tymed;
  union {
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease;
};
typedef STGMEDIUM* LPSTGMEDIUM;

// Advise flags of IDataObject::DAdvise.
constexpr DWORD ADVF_NODATA = 1;
constexpr DWORD ADVF_PRIMEFIRST = 2;
constexpr DWORD ADVF_ONLYONCE = 4;
