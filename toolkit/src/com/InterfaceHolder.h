// The interface holder: the small object through which a toolkit COM object
// offers one of its interfaces other than its own IUnknown. A holder has no
// reference count of its own; its AddRef, Release and QueryInterface each
// write one trace line and then defer to the owner. The owner creates it on
// the first request for its interface (see HolderSlot) and deletes it when the
// owner itself goes.
#pragma once

#include "app/CVorlixApp.h"

#include "platform/unknown.h"

#include <string>

// The trace line of a call an object passes on to another:
// "<object>::<call>()<gap>[defered to <owner>]".
inline std::string DeferredCallTrace(const char* object, const char* call, const char* owner, const char* gap = " ") {
  return std::string(object) + "::" + call + "()" + gap + "[defered to " + owner + "]";
}

// What the owner keeps of a holder, whatever its interface.
class InterfaceHolderBase {
 public:
  virtual ~InterfaceHolderBase() = default;
  // The interface pointer handed to clients.
  virtual IUnknown* Interface() = 0;
};

// A holder of `OfferedInterface` for an owner of type `Owner`. A concrete
// holder derives from it and implements the interface's own methods.
template <class OfferedInterface, class Owner>
class InterfaceHolder : public OfferedInterface, public InterfaceHolderBase {
 public:
  // The trace lines read "<interface>::AddRef() [defered to <owner>]" and so on;
  // `queryGap` is what separates "QueryInterface()" from the bracket (two
  // blanks for most holders, one for some).
  InterfaceHolder(Owner& owner, const char* interfaceName, const char* ownerName, const char* queryGap = "  ")
      : owner_(owner),
        addRefTrace_(DeferredCallTrace(interfaceName, "AddRef", ownerName)),
        releaseTrace_(DeferredCallTrace(interfaceName, "Release", ownerName)),
        queryTrace_(DeferredCallTrace(interfaceName, "QueryInterface", ownerName, queryGap)) {}

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    VorlixApp().TraceMessage(queryTrace_.c_str());
    return owner_.QueryInterface(riid, ppvObject);
  }
  ULONG AddRef() override {
    VorlixApp().TraceMessage(addRefTrace_.c_str());
    return owner_.AddRef();
  }
  ULONG Release() override {
    VorlixApp().TraceMessage(releaseTrace_.c_str());
    return owner_.Release();
  }

  IUnknown* Interface() override { return static_cast<OfferedInterface*>(this); }

 protected:
  Owner& owner_;

 private:
  const std::string addRefTrace_;
  const std::string releaseTrace_;
  const std::string queryTrace_;
};
