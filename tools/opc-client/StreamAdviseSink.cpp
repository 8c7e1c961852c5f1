#include "StreamAdviseSink.h"

#include "ValueFormat.h"

#include <cstring>

namespace {

constexpr size_t kGroupHeaderSize = 20;
constexpr size_t kVariantSize = 16;

// Little-endian fields of the stream; false when it ends before the field.
class StreamFields {
 public:
  explicit StreamFields(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Read(size_t offset, void* field, size_t size) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    std::memcpy(field, bytes_.data() + offset, size);
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
};

bool IsPlainValue(VARTYPE type) {
  switch (type) {
    case VT_EMPTY: case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_BOOL:
    case VT_DATE: case VT_CY: case VT_ERROR:
      return true;
    default:
      return false;
  }
}

}  // namespace

CLIPFORMAT StreamAdviseSink::DataFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATA"));
  return format;
}

CLIPFORMAT StreamAdviseSink::DataTimeFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATATIME"));
  return format;
}

CLIPFORMAT StreamAdviseSink::WriteCompleteFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATWRITECOMPLETE"));
  return format;
}

void StreamAdviseSink::OnDataChange(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal) {
    log_.Fail("OnDataChange came without an HGLOBAL stream");
    return;
  }
  const bool withTime = format->cfFormat == DataTimeFormat();
  const bool writeComplete = format->cfFormat == WriteCompleteFormat();
  if (!withTime && !writeComplete && format->cfFormat != DataFormat()) return;
  const SIZE_T size = GlobalSize(medium->hGlobal);
  const void* memory = GlobalLock(medium->hGlobal);
  if (!memory) {
    log_.Fail("GlobalLock of the stream failed");
    return;
  }
  const std::vector<uint8_t> bytes(static_cast<const uint8_t*>(memory), static_cast<const uint8_t*>(memory) + size);
  GlobalUnlock(medium->hGlobal);
  // The medium belongs to the caller, which releases it after this call.
  std::vector<std::string> lines;
  std::string error;
  const bool read =
      writeComplete ? ReadWriteComplete(bytes, lines, error) : ReadStream(bytes, withTime, lines, error);
  if (!read) {
    log_.Fail(error);
    return;
  }
  for (const std::string& line : lines) log_.Add(line);
}

bool StreamAdviseSink::ReadStream(const std::vector<uint8_t>& bytes, bool withTime, std::vector<std::string>& lines,
                                  std::string& error) const {
  const StreamFields in(bytes);
  OPCGROUPHEADER header{};
  if (!in.Read(0, &header, kGroupHeaderSize)) {
    error = "the stream ends inside its group header";
    return false;
  }
  const size_t itemHeaderSize = withTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
  for (DWORD i = 0; i < header.dwItemCount; ++i) {
    OPCITEMHEADER1 item{};
    if (!in.Read(kGroupHeaderSize + i * itemHeaderSize, &item, itemHeaderSize)) {
      error = "the stream ends inside item header " + std::to_string(i);
      return false;
    }
    FILETIME time{};
    if (withTime) time = item.ftTimeStampItem;
    VARIANT value;
    VariantInit(&value);
    if (!in.Read(item.dwValueOffset, &value, kVariantSize)) {
      error = "the stream ends inside the value of item " + std::to_string(i);
      return false;
    }
    // A text follows its VARIANT as its byte length, the text and a zero unit.
    BSTR text = nullptr;
    if (V_VT(&value) == VT_BSTR) {
      DWORD textBytes = 0;
      const size_t textAt = static_cast<size_t>(item.dwValueOffset) + kVariantSize + 4;
      // The length is checked against the stream before anything is sized by it.
      if (!in.Read(item.dwValueOffset + kVariantSize, &textBytes, 4) || textAt > bytes.size() ||
          textBytes > bytes.size() - textAt) {
        error = "the stream ends inside the text of item " + std::to_string(i);
        return false;
      }
      std::vector<wchar_t> units(textBytes / 2 + 1);
      in.Read(textAt, units.data(), textBytes);
      text = SysAllocStringLen(units.data(), textBytes / 2);
      V_BSTR(&value) = text;
    } else if (!IsPlainValue(V_VT(&value))) {
      // Anything holding a pointer cannot be read back from a copied image.
      V_VT(&value) = VT_EMPTY;
    }
    const std::string name = group_.ItemName(item.hClient);
    lines.push_back(withTime ? ValueFormat::ItemLine(name, value, item.wQuality, time)
                             : name + "  " + ValueFormat::Value(value) + "  " + std::to_string(item.wQuality) + " " +
                                   ValueFormat::QualityWord(item.wQuality));
    SysFreeString(text);
  }
  return true;
}

bool StreamAdviseSink::ReadWriteComplete(const std::vector<uint8_t>& bytes, std::vector<std::string>& lines,
                                         std::string& error) const {
  const StreamFields in(bytes);
  OPCGROUPHEADERWRITE header{};
  if (!in.Read(0, &header, sizeof header)) {
    error = "the stream ends inside its group header";
    return false;
  }
  for (DWORD i = 0; i < header.dwItemCount; ++i) {
    OPCITEMHEADERWRITE item{};
    if (!in.Read(sizeof header + i * sizeof item, &item, sizeof item)) {
      error = "the stream ends inside item header " + std::to_string(i);
      return false;
    }
    lines.push_back(group_.ItemName(item.hClient) + "  written  " + ValueFormat::Hresult(item.dwError));
  }
  return true;
}
