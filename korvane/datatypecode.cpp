#include "datatypecode.h"

const DataTypeCode DataTypeCode::table[] = {
    {-1, VT_BOOL, " BOOL "},
    {0, VT_UI2, nullptr},
    {3, VT_UI4, " 32Bit Unsigned Int "},
    {4, VT_UI2, nullptr},
    {5, VT_UI4, nullptr},
    {6, VT_I2, " 16Bit Int "},
    {7, VT_I4, " 32Bit Int "},
    {10, VT_R4, " 32 float "},
};

int DataTypeCode::of(int dataType, int devVersion) {
  if (devVersion != 1) return dataType;
  switch (dataType) {
    case 1:
      return 3;
    case 2:
      return 6;
    case 3:
      return 7;
    case 6:
      return 10;
    default:
      return dataType;
  }
}

const DataTypeCode* DataTypeCode::find(int code) {
  for (const DataTypeCode& row : table)
    if (row.code_ == code) return &row;
  return nullptr;
}

VARIANT DataTypeCode::zero() const { return parse(QString()); }

VARIANT DataTypeCode::parse(const QString& text) const {
  VARIANT value;
  VariantInit(&value);
  value.vt = variantType_;
  bool ok = false;
  switch (variantType_) {
    case VT_BOOL:
      value.boolVal = text.toInt(&ok, 10) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_UI2:
      value.uiVal = text.toUShort(&ok, 10);
      break;
    case VT_UI4:
      value.ulVal = text.toUInt(&ok, 10);
      break;
    case VT_I2:
      value.iVal = text.toShort(&ok, 10);
      break;
    case VT_I4:
      value.lVal = text.toInt(&ok, 10);
      break;
    case VT_R4:
      // Qt gives an infinity for a text beyond the float's range.
      value.fltVal = text.toFloat(&ok);
      if (!ok) value.fltVal = 0.0f;
      break;
    default:
      break;
  }
  return value;
}

QString DataTypeCode::text(const VARIANT& value) const {
  switch (variantType_) {
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE ? QStringLiteral("1") : QStringLiteral("0");
    case VT_UI2:
      return QString::number(value.uiVal);
    case VT_UI4:
      return QString::number(value.ulVal);
    case VT_I2:
      return QString::number(value.iVal);
    case VT_I4:
      return QString::number(value.lVal);
    case VT_R4:
      return QString::number(static_cast<double>(value.fltVal), 'g', 6);
    default:
      return QString();
  }
}
