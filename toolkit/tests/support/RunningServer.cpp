#include "support/RunningServer.h"

#include "app/CVorlixApp.h"
#include "support/OpcTestClient.h"

RunningServer::RunningServer(UINT rate) {
  UseShortClientWait();
  CLSID classId = kTestServerClassId;
  started_ = InitVarnOPCsvr(reinterpret_cast<BYTE*>(&classId), rate) != FALSE;
}

RunningServer::~RunningServer() { UninitVarnOPCsvr(); }

void UseShortClientWait() { VorlixApp().SetClientWaitLimit({10, 5}); }
