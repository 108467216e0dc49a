// Value types of the data store: one class per kind of value, saying how a
// value of that kind lives in a record buffer (its size, how it becomes a
// variant and back, how two values compare, how it is streamed and shown).
// The classes carry no state; each has one shared instance, and the
// process-wide class list holds the registered ones.
//
// A buffer is the value's place in a record. The string, wide-string,
// variant and object kinds keep a pointer there to a holder the buffer owns
// (ReleaseData or ReleaseText disposes it), so their ValueSize is the size
// of a pointer on this platform. Streams are read as untrusted input (see
// variant_streams.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lookandfeel/le_classes.h"
#include "lookandfeel/variant_streams.h"
#include "lookandfeel/variants.h"

namespace kelmo::le {

class TleValueType {
 public:
  virtual ~TleValueType() = default;
  virtual const char* ClassName() const = 0;

  virtual int CompareBuffers(const std::uint8_t* b1, const std::uint8_t* b2) const;
  virtual void ReleaseData(std::uint8_t* buffer) const;
  virtual void ReleaseText(std::uint8_t* textBuffer) const;
  virtual int ValueSize() const;
  virtual Variant ValueFromBuffer(const std::uint8_t* buffer) const;
  virtual std::string DisplayTextOf(const std::uint8_t* buffer) const;
  virtual std::string TextFromBuffer(const std::uint8_t* textBuffer) const;
  virtual void LoadValue(std::uint8_t* buffer, TStream& stream) const;
  virtual void LoadText(std::uint8_t* textBuffer, TStream& stream) const;
  virtual void ValueToBuffer(std::uint8_t* buffer, const Variant& v) const;
  virtual void TextToBuffer(std::uint8_t* textBuffer, const std::string& text) const;
  virtual void SaveValue(const std::uint8_t* buffer, TStream& stream) const;
  virtual void SaveText(const std::uint8_t* textBuffer, TStream& stream) const;
  // The class name without its leading "Tle" and its first "ValueType".
  virtual std::string TypeCaption() const;
  virtual int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const;
  // The variant of a value held in a variable: the by-reference kinds take
  // the address of the variable that holds the holder pointer.
  virtual Variant ValueOf(const void* value) const;
  virtual std::uint16_t VariantKind() const;
  // True for Null and for the variant kind; otherwise the value is cast in
  // place to VariantKind and the answer says whether that worked.
  virtual bool AcceptsValue(Variant& v) const;
  virtual bool IsTextType() const;
  virtual void PrepareBuffer(std::uint8_t*& buffer) const;
};

// The shared instance of each kind.
#define KELMO_VALUE_TYPE(Name) const TleValueType& Name##Instance();
KELMO_VALUE_TYPE(TleStringValueType)
KELMO_VALUE_TYPE(TleWideStringValueType)
KELMO_VALUE_TYPE(TleSmallintValueType)
KELMO_VALUE_TYPE(TleIntegerValueType)
KELMO_VALUE_TYPE(TleWordValueType)
KELMO_VALUE_TYPE(TleBooleanValueType)
KELMO_VALUE_TYPE(TleFloatValueType)
KELMO_VALUE_TYPE(TleCurrencyValueType)
KELMO_VALUE_TYPE(TleDateTimeValueType)
KELMO_VALUE_TYPE(TleLargeIntValueType)
KELMO_VALUE_TYPE(TleFMTBcdValueType)
KELMO_VALUE_TYPE(TleSQLTimeStampValueType)
KELMO_VALUE_TYPE(TleVariantValueType)
KELMO_VALUE_TYPE(TleObjectValueType)
#undef KELMO_VALUE_TYPE

// The fourteen kinds in their registration order (string first, object last).
std::vector<const TleValueType*> AllValueTypes();

// Puts an object into an object value's place (the buffer takes it over);
// ValueToBuffer does not, since a number is no object to own.
void SetObjectValue(std::uint8_t* buffer, std::unique_ptr<TPersistent> object);
TPersistent* ObjectValue(const std::uint8_t* buffer);

class TleValueTypeClassList {
 public:
  // Appends the class unless it is already listed.
  void AddClass(const TleValueType* type);
  void RemoveClass(const TleValueType* type);
  const std::vector<const TleValueType*>& Items() const { return items_; }

 private:
  std::vector<const TleValueType*> items_;
};

// The process-wide list, created on first use; start-up registers the
// fourteen kinds, close-down removes them in the reverse order.
TleValueTypeClassList& GetValueTypeClassList();
void RegisterValueTypes();
void UnregisterValueTypes();

}  // namespace kelmo::le
