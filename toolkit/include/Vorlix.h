// Vorlix: the exported C interface of the OPC server toolkit, and the callbacks
// it makes into its host.
//
// Strings are zero-terminated 8-bit texts (Latin-1). Values are VARIANTs; one
// passed by value is copied by the library, and the caller keeps its own; a
// reference (VT_BYREF) is copied as the value it refers to, never kept.
// Qualities are 16-bit OPC quality words; timestamps are FILETIMEs in UTC. A tag
// handle is a 32-bit value; VORLIX_INVALID_TAG (-1) means failure and never
// names a tag. Functions with a BOOL result return FALSE for an unknown handle
// or name and for a NULL argument. Nothing thrown inside the library reaches
// the host: when memory runs out a function answers its failure value.
//
// Every callback but the trace callback (EVENTMSGPROC) is called with the
// library's lock released; callbacks come from library threads, concurrently
// with the host's own calls, so the host protects its own data. Exports may be
// called from any host thread.
#pragma once

#include "platform/opcae.h"
#include "platform/opcda.h"
#include "platform/unknown.h"
#include "platform/variant.h"
#include "platform/wintypes.h"

// What the library exports. The ELF build hides everything else; on Windows the
// library's own sources (VORLIX_BUILD) export these names and a host imports them.
#if defined(_WIN32) && defined(VORLIX_BUILD)
#define VORLIX_VISIBLE __declspec(dllexport)
#elif defined(_WIN32)
#define VORLIX_VISIBLE __declspec(dllimport)
#else
#define VORLIX_VISIBLE __attribute__((visibility("default")))
#endif
#define VORLIX_API extern "C" VORLIX_VISIBLE
#define VORLIX_CLASS VORLIX_VISIBLE

constexpr DWORD VORLIX_INVALID_TAG = 0xFFFFFFFF;

// Host callbacks. None returns a value.

// A client writes a tag. `result` is 0 on entry; left 0, the library stores the
// value; anything else is the error the client gets for the item.
typedef void (*WRITENOTIFYPROC)(DWORD tag, VARIANT* value, DWORD* result);
// The same with the writing client's user name ("Unknown" without NT security);
// wins over WRITENOTIFYPROC when both are set.
typedef void (*WRITENOTIFYPROC2)(DWORD tag, VARIANT* value, DWORD* result, char* user);
// A client reads from the device: the host fills value, quality and timestamp.
typedef void (*READDEVICEPROC)(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp);
// A client adds or validates an item that names no visible tag: copies of the
// access path and item ID. The tag may be created inside; it is looked up once more.
typedef void (*UNKNOWNITEMPROC)(char* accessPath, char* itemId);
// The last client item naming a tag went (the access path is always empty).
typedef void (*ITEMREMOVEDPROC)(DWORD tag, char* accessPath, char* tagName);
// A client object was released: the number of clients still connected.
typedef void (*DISCONNECTNOTIFYPROC)(DWORD clients);
// The fastest update rate a client asks for a tag changed (0: no client item left).
typedef void (*RATENOTIFYPROC)(DWORD tag, DWORD rate);
// A trace line, in a 100-byte buffer (longer lines are cut). Traces are made
// where the traced work happens, often with the library's lock held (a group's
// QueryInterface and AddRef inside AddGroup, for instance): the callback must
// not wait for another thread that calls into the library, and should not
// call into the library itself.
typedef void (*EVENTMSGPROC)(char* text);

// The AE callback object: it answers the alarms-and-events questions of
// clients. The library holds one of this class from load on; a host may derive
// its own and install it with SetAEServerCallback. The library deletes the
// object it replaces, and the last one when it is unloaded, so an installed
// object must come from new.
//
// Each operation answers the client's method of the same name with the
// client's arguments; an event subscription is named by its handle (the one
// UserAEMessageEx2 takes). Blocks and texts handed back to the client come
// from the COM task allocator (CoTaskMemAlloc). The operations are called from
// the clients' threads, concurrently, with the library's lock released. The
// order of the virtual operations is fixed: a host's derived class relies on it.
class VORLIX_CLASS CLumoAExCallback {
 public:
  CLumoAExCallback() = default;
  CLumoAExCallback(const CLumoAExCallback&) = default;
  CLumoAExCallback& operator=(const CLumoAExCallback&) = default;
  virtual ~CLumoAExCallback();

  // A status block: the library's start time, now, `lastUpdateTime` (when the
  // asking client connected), state running, version 0.0.0 and the vendor text.
  virtual HRESULT GetStatus(OPCEVENTSERVERSTATUS** status, FILETIME lastUpdateTime);
  // No filters: mask 0.
  virtual HRESULT QueryAvailableFilters(DWORD* filterMask);
  // Simple events (type bit 1): category 1 "System Message"; condition events
  // (bit 4): 2 "Level" and 3 "Discrete"; tracking events: none.
  virtual HRESULT QueryEventCategories(DWORD eventType, DWORD* count, DWORD** categories, LPWSTR** descriptions);
  // One name per category: 1 "Informational Text", 2 "Level Alarm", 3
  // "Discrete Alarm"; E_INVALIDARG for any other.
  virtual HRESULT QueryConditionNames(DWORD category, DWORD* count, LPWSTR** names);
  // "Level Alarm" (exactly) has "Lo Lo", "Lo", "Hi" and "Hi Hi"; any other
  // condition none.
  virtual HRESULT QuerySubConditionNames(LPWSTR conditionName, DWORD* count, LPWSTR** names);
  // E_NOTIMPL from here to CreateAreaBrowser.
  virtual HRESULT QuerySourceConditions(LPWSTR source, DWORD* count, LPWSTR** names);
  virtual HRESULT QueryEventAttributes(DWORD category, DWORD* count, DWORD** attributeIds, LPWSTR** descriptions,
                                       VARTYPE** types);
  virtual HRESULT TranslateToItemIDs(LPWSTR source, DWORD category, LPWSTR conditionName, LPWSTR subconditionName,
                                     DWORD count, DWORD* attributeIds, LPWSTR** itemIds, LPWSTR** nodeNames,
                                     CLSID** classIds);
  virtual HRESULT GetConditionState(LPWSTR source, LPWSTR conditionName, DWORD count, DWORD* attributeIds,
                                    OPCCONDITIONSTATE** state);
  virtual HRESULT EnableConditionByArea(DWORD count, LPWSTR* areas);
  virtual HRESULT EnableConditionBySource(DWORD count, LPWSTR* sources);
  virtual HRESULT DisableConditionByArea(DWORD count, LPWSTR* areas);
  virtual HRESULT DisableConditionBySource(DWORD count, LPWSTR* sources);
  // Acknowledges nothing: S_FALSE, every condition's error E_INVALIDARG.
  virtual HRESULT AckCondition(DWORD count, LPWSTR acknowledgerId, LPWSTR comment, LPWSTR* sources,
                               LPWSTR* conditionNames, FILETIME* activeTimes, DWORD* cookies, HRESULT** errors);
  virtual HRESULT CreateAreaBrowser(REFIID riid, LPUNKNOWN* browser);

  // A client created the subscription; it reports buffer time 0 and maximum
  // size 1 to the client. The result is not looked at. S_OK.
  virtual HRESULT CreateEventSubscription(DWORD subscription, DWORD revisedBufferTime, DWORD revisedMaxSize,
                                          OPCHANDLE clientSubscription);
  // The subscription is gone; its handle names nothing from now on. S_OK.
  virtual HRESULT RemoveEventSubscription(DWORD subscription);
  // The subscription's filter, returned attributes, refresh and state: E_NOTIMPL.
  virtual HRESULT SetEventSubscriptionFilter(DWORD subscription, DWORD eventType, DWORD categoryCount,
                                             DWORD* categories, DWORD lowSeverity, DWORD highSeverity,
                                             DWORD areaCount, LPWSTR* areas, DWORD sourceCount, LPWSTR* sources);
  virtual HRESULT GetEventSubscriptionFilter(DWORD subscription, DWORD* eventType, DWORD* categoryCount,
                                             DWORD** categories, DWORD* lowSeverity, DWORD* highSeverity,
                                             DWORD* areaCount, LPWSTR** areas, DWORD* sourceCount,
                                             LPWSTR** sources);
  virtual HRESULT SelectEventSubscriptionReturnedAttributes(DWORD subscription, DWORD category, DWORD count,
                                                            DWORD* attributeIds);
  virtual HRESULT GetEventSubscriptionReturnedAttributes(DWORD subscription, DWORD category, DWORD* count,
                                                         DWORD** attributeIds);
  virtual HRESULT RefreshEventSubscription(DWORD subscription, DWORD connection);
  virtual HRESULT CancelEventSubscriptionRefresh(DWORD subscription, DWORD connection);
  virtual HRESULT GetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime, DWORD* maxSize,
                                            OPCHANDLE* clientSubscription);
  virtual HRESULT SetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime, DWORD* maxSize,
                                            OPCHANDLE clientSubscription, DWORD* revisedBufferTime,
                                            DWORD* revisedMaxSize);
};

// Library revision: 2051 (0x0803).
VORLIX_API WORD VarnOPCsvrRevision();

// Start-up and shut-down. Call SetThreadingModel before InitVarnOPCsvr: model 2
// is apartment-threaded, any other free-threaded (the default). TRUE.
VORLIX_API BOOL SetThreadingModel(DWORD model);
// Starts the OPC server: COM on the calling thread, the class object under the
// 16-byte class identifier, and the update timer at `serverRate` ms (at least
// 10). FALSE when it runs already, for a NULL identifier, or when the class
// object or the timer cannot be had. Clients connect only while it runs.
VORLIX_API BOOL InitVarnOPCsvr(BYTE* clsid, UINT serverRate);
// Refuses new clients and waits up to 5 s for the connected ones to go; TRUE.
// The class object stays registered and the timer keeps running: a later
// InitVarnOPCsvr takes them up again.
VORLIX_API BOOL UninitVarnOPCsvr();
// Changes the update timer's period (at least 10 ms) at once; TRUE.
VORLIX_API BOOL ResetVarnServerRate(UINT rate);

// The OPC server state the status reports.
VORLIX_API void SetServerState(DWORD state);

// The vendor text of the status the server reports; NULL is ignored.
VORLIX_API void SetVarnVendorInfo(char* vendor);

// Sets the item-name delimiter when the argument is not 0; the delimiter now in force.
VORLIX_API char SetVarnOPCsvrQualifier(char delimiter);

// Switches the tag hash index on with at least `size` slots (a prime, at least
// 11), or off for a size below 6; tags that exist already are entered. The
// table size, 0 when off.
VORLIX_API UINT SetHashing(UINT size);

// Creates a tag (and the branches its name needs). CreateTag asks for NT level
// 1 to read, and to write when `writable`; a tag that is not writable is
// read-only for every client. CreateSecureTag takes the read and write words'
// NT levels in their high 16 bits; its tags are readable and writable for
// clients without NT security. The handle, or VORLIX_INVALID_TAG when the name
// exists already or is one no client could name (an empty one, or one with
// bytes that are no text in the system's ANSI code page).
VORLIX_API DWORD CreateTag(char* name, VARIANT value, WORD quality, BOOL writable);
VORLIX_API DWORD CreateSecureTag(char* name, VARIANT value, WORD quality, DWORD readAccess, DWORD writeAccess);

// Removes the tag, and every branch left empty above it. A tag whose name
// continues another's ("A.B" under "A") goes with it.
VORLIX_API BOOL RemoveTag(DWORD tag);

// A suspended tag counts as unknown to new client items.
VORLIX_API BOOL SuspendTagUpdates(DWORD tag, BOOL suspend);

// Stores the value, the quality and the current time (or the given one) in the
// tag and passes the change on to the client items naming it; an update by
// handle also evaluates the tag's level alarms. UpdateTagByName takes the full
// item name. FALSE when the value cannot be copied (the tag keeps its old one).
VORLIX_API BOOL UpdateTag(DWORD tag, VARIANT value, WORD quality);
VORLIX_API BOOL UpdateTagWithTimeStamp(DWORD tag, VARIANT value, WORD quality, FILETIME timestamp);
VORLIX_API BOOL UpdateTagByName(char* name, VARIANT value, WORD quality);

// Copies the tag's value into an initialised VARIANT, whose old content is freed.
VORLIX_API BOOL ReadTag(DWORD tag, VARIANT* value);
VORLIX_API BOOL ReadTagWithTimeStamp(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp);

// A batch of updates. StartUpdateTags holds the library's lock for the calling
// thread until EndUpdateTags, so every other thread's call waits meanwhile;
// batches do not nest (a second StartUpdateTags gives FALSE). UpdateTagToList
// stores a value at once but passes it on to clients only at EndUpdateTags.
// UpdateTagToList and EndUpdateTags give FALSE without a batch of the calling thread.
VORLIX_API BOOL StartUpdateTags();
VORLIX_API BOOL UpdateTagToList(DWORD tag, VARIANT value, WORD quality);
VORLIX_API BOOL EndUpdateTags();

// The number of connected clients.
VORLIX_API int NumbrClientConnections();
// Asks every connected client to disconnect; the number of clients.
VORLIX_API int RequestDisconnect();
// Makes every client send its active groups now, on the calling thread.
VORLIX_API BOOL RefreshAllClients();

// Each Enable call replaces the callback set before; NULL switches it off.
// TRUE when a callback is set. The write notifications also say whether a
// client's value reaches the callback converted to the item's canonical type.
VORLIX_API BOOL EnableWriteNotification(WRITENOTIFYPROC proc, BOOL convertToCanonical);
VORLIX_API BOOL EnableWriteNotification2(WRITENOTIFYPROC2 proc, BOOL convertToCanonical);
VORLIX_API BOOL EnableUnknownItemNotification(UNKNOWNITEMPROC proc);
VORLIX_API BOOL EnableEventMsgs(EVENTMSGPROC proc);
VORLIX_API BOOL EnableDeviceRead(READDEVICEPROC proc);
VORLIX_API BOOL EnableItemRemovalNotification(ITEMREMOVEDPROC proc);
VORLIX_API BOOL EnableDisconnectNotification(DISCONNECTNOTIFYPROC proc);
VORLIX_API BOOL EnableRateNotification(RATENOTIFYPROC proc);

// A tag's four level alarms, numbered 1 LoLo, 2 Lo, 3 Hi, 4 HiHi (limits 0, 0,
// 100, 100, severity 200, all disabled at creation). An update by handle that
// moves the value into another alarm level sends one condition event to
// every event subscription: condition "Level", sub-condition "Low Low Limit",
// "Low Limit", "High Limit", "High High Limit" or, back to normal, "Normal";
// HiHi wins over LoLo over Hi over Lo; limits count as reached. FALSE for
// another alarm number (the outputs are left as they were).
VORLIX_API BOOL SetItemLevelAlarm(DWORD tag, int alarm, float limit, DWORD severity, BOOL enabled);
VORLIX_API BOOL GetItemLevelAlarm(DWORD tag, int alarm, float* limit, DWORD* severity, BOOL* enabled);

// Adds a custom item property to a tag, or replaces the description and value
// of the one with that ID. IDs up to 6 are the standard properties: FALSE.
VORLIX_API BOOL SetTagProperties(DWORD tag, DWORD propertyId, char* description, VARIANT value);

// Alarms-and-events messages of the host, sent to every event subscription
// (or, for a non-zero handle, to that one alone; a handle that names no
// subscription reaches nothing). UserAEMessage sends a simple event of
// category 1 from the source "User Message" (NULL reads as an empty message);
// the others send the event as given, its texts and attribute values copied.
// Each event reaches the clients' sinks on the calling thread, in the order of
// the calls, before the call returns (level-alarm events of the tag updates
// too). TRUE; FALSE, nothing sent, when UserAEMessageEx or UserAEMessageEx2
// cannot build the event (attributes NULL with a count above 0, an attribute
// of a type a VARIANT cannot have, not enough memory).
VORLIX_API BOOL UserAEMessage(char* message, DWORD severity);
VORLIX_API BOOL UserAEMessageEx(ONEVENTSTRUCT event);
VORLIX_API BOOL UserAEMessageEx2(DWORD subscription, ONEVENTSTRUCT event, BOOL refresh, BOOL lastRefresh);

// Installs the AE callback object, deleting the one installed before unless
// it is the same object (once no client's call is inside it any more); NULL
// leaves none, and clients' questions get E_NOTIMPL. Level-alarm events are on exactly
// when noLevelAlarms is FALSE; while they are off, every tag keeps its alarm
// level. TRUE.
VORLIX_API BOOL SetAEServerCallback(BOOL noLevelAlarms, CLumoAExCallback* callback);

// Registers the host as the local COM server of the class (16 bytes) under
// HKEY_CLASSES_ROOT: ProgID, class and application keys, executable path and
// the OPC categories. The class is stored for AddLocalServiceKeysToRegistry
// and the server. FALSE for an empty ProgID and at the first key that cannot
// be written (the keys written before stay). LUMOUpdateRegistry is the same call.
VORLIX_API BOOL UpdateRegistry(BYTE* clsid, char* progId, char* description, char* exePath);
VORLIX_API BOOL LUMOUpdateRegistry(BYTE* clsid, char* progId, char* description, char* exePath);
// Sets "LocalService" and "ServiceParameters" ("-Service") under the stored
// class's application key (the all-zero class when none is stored). TRUE when
// both were written.
VORLIX_API BOOL AddLocalServiceKeysToRegistry(char* serviceName);
// Removes the registration; FALSE for an empty or unregistered ProgID (nothing
// is touched then) and when a key it should remove stays.
VORLIX_API BOOL UnregisterServer(BYTE* clsid, char* progId);

// NT security: while it is on, a client gets a tag's read and write rights
// only when some user record grants its account (or a group it belongs to) the
// NT level in the high 16 bits of the tag's read or write word, and only when
// it allows at least the given impersonation level. Switching it off keeps the
// records. TRUE.
VORLIX_API BOOL EnableNTSecurity(BOOL enable, DWORD minImpersonationLevel);
// Grants the account the level of `access` (its low 16 bits, or its high 16
// bits when those are 0) in a record whose name is a group account; a record
// of that name for that account is replaced. 0, or a system error code
// (ERROR_OUTOFMEMORY, or ERROR_NONE_MAPPED for an unknown name); the record
// is kept either way, and one that failed grants nothing.
VORLIX_API DWORD DefineNTUser(char* userRecordName, char* accountName, DWORD access);

// OLE date to FILETIME and back, both without a time-zone shift and to the
// whole second (the OLE side rounds to the nearest second; the FILETIME side
// drops fractions of a second). FALSE, the output untouched, for a NULL
// pointer or a date either side cannot hold.
VORLIX_API BOOL ConvertVBDateToFileTime1(DATE* date, FILETIME* fileTime);
VORLIX_API BOOL ConvertFileTimeToVBDate1(FILETIME* fileTime, DATE* date);
