// The client's OPC 1.0 advise sink: the group's data object hands it each
// change as an HGLOBAL stream in the format it was advised with
// ("OPCSTMFORMATDATA" or "OPCSTMFORMATDATATIME"), and the completion of an
// asynchronous 1.0 write as a "OPCSTMFORMATWRITECOMPLETE" stream; every item
// of a stream becomes one line of the arrival log, read as a 1.0 client
// reads it.
#pragma once

#include "ArrivalLog.h"
#include "ClientGroup.h"
#include "SinkObject.h"

#include <cstdint>
#include <vector>

class StreamAdviseSink final : public SinkObject<IAdviseSink> {
 public:
  StreamAdviseSink(const ClientGroup& group, ArrivalLog& log)
      : SinkObject(IID_IAdviseSink), group_(group), log_(log) {}

  static CLIPFORMAT DataFormat();
  static CLIPFORMAT DataTimeFormat();
  static CLIPFORMAT WriteCompleteFormat();

  void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}

  // The lines of one stream; false with a reason for a stream that ends
  // before a field it names.
  bool ReadStream(const std::vector<uint8_t>& bytes, bool withTime, std::vector<std::string>& lines,
                  std::string& error) const;
  // "ITEM  written  0x... (text)" per item of a write-complete stream.
  bool ReadWriteComplete(const std::vector<uint8_t>& bytes, std::vector<std::string>& lines,
                         std::string& error) const;

 private:
  const ClientGroup& group_;
  ArrivalLog& log_;
};
