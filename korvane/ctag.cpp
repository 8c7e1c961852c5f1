#include "ctag.h"

CTag::CTag() { VariantInit(&value); }

CTag::~CTag() { VariantClear(&value); }
