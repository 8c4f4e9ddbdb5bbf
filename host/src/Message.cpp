// The host's message and its compact field storage.
#include "hx/Message.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

#include "hx/MessageClasses.h"

namespace hx {
namespace {

// A string longer than the inline room lives in one block: its size, then its bytes.
// Sizes beyond 4 GiB are cut, which no message of ours comes near.
char* NewHeapString(std::string_view value) {
  std::uint32_t size = static_cast<std::uint32_t>(
      std::min<std::size_t>(value.size(), std::numeric_limits<std::uint32_t>::max()));
  char* block = new char[sizeof size + size];
  std::memcpy(block, &size, sizeof size);
  std::memcpy(block + sizeof size, value.data(), size);
  return block;
}

std::string_view HeapStringView(const char* block) {
  std::uint32_t size = 0;
  std::memcpy(&size, block, sizeof size);
  return std::string_view(block + sizeof size, size);
}

// An embedded message or message list lives in a block that counts the fields
// pointing at it: one, unless the part is marked shared and its field was copied.
template <typename T>
struct Counted {
  template <typename... Args>
  explicit Counted(std::in_place_t, Args&&... args) : value(std::forward<Args>(args)...) {}
  std::atomic<std::uint32_t> refs{1};
  T value;
};
using CountedMessage = Counted<CNMessageBase>;
using CountedList = Counted<std::vector<CNMessageBase>>;

std::atomic<std::uint32_t>& RefsOf(FieldKind kind, void* block) {
  return kind == FieldKind::kMessage ? static_cast<CountedMessage*>(block)->refs
                                     : static_cast<CountedList*>(block)->refs;
}

// A copy of the value only: the parts below it that are shared stay shared.
void* CopyOwned(FieldKind kind, const void* from) {
  switch (kind) {
    case FieldKind::kIntList:
      return new std::vector<int>(*static_cast<const std::vector<int>*>(from));
    case FieldKind::kULongList:
      return new std::vector<unsigned long>(*static_cast<const std::vector<unsigned long>*>(from));
    case FieldKind::kMessage:
      return new CountedMessage(std::in_place, static_cast<const CountedMessage*>(from)->value);
    case FieldKind::kMessageList:
      return new CountedList(std::in_place, static_cast<const CountedList*>(from)->value);
    default:
      return nullptr;
  }
}

}  // namespace

static_assert(sizeof(MessageField) == 16, "a message field should stay 16 bytes");

MessageField::MessageField(short index, short tag) noexcept
    : index_(index), tag_(tag), kind_(FieldKind::kInt64), inlineSize_(0), payload_{} {}

MessageField::MessageField(const MessageField& other) : MessageField(other.index_, other.tag_) {
  CopyValueFrom(other);
}

MessageField::MessageField(MessageField&& other) noexcept
    : index_(other.index_), tag_(other.tag_), kind_(other.kind_), inlineSize_(other.inlineSize_) {
  std::memcpy(payload_, other.payload_, sizeof payload_);
  other.kind_ = FieldKind::kInt64;  // the value moved here; the source no longer owns it
  other.SetInt64(0);
}

MessageField& MessageField::operator=(const MessageField& other) {
  if (this != &other) *this = MessageField(other);
  return *this;
}

MessageField& MessageField::operator=(MessageField&& other) noexcept {
  if (this == &other) return *this;
  Reset();
  index_ = other.index_;
  tag_ = other.tag_;
  kind_ = other.kind_;
  inlineSize_ = other.inlineSize_;
  std::memcpy(payload_, other.payload_, sizeof payload_);
  other.kind_ = FieldKind::kInt64;
  other.SetInt64(0);
  return *this;
}

MessageField::~MessageField() { Reset(); }

long long MessageField::int64Value() const {
  if (kind_ != FieldKind::kInt64) return 0;
  long long value = 0;
  std::memcpy(&value, payload_, sizeof value);
  return value;
}

std::string_view MessageField::stringValue() const {
  if (kind_ != FieldKind::kString) return {};
  if (inlineSize_ == kHeapString) return HeapStringView(static_cast<const char*>(OwnedPointer()));
  return std::string_view(reinterpret_cast<const char*>(payload_), inlineSize_);
}

const std::vector<int>* MessageField::intList() const {
  return kind_ == FieldKind::kIntList ? static_cast<const std::vector<int>*>(OwnedPointer()) : nullptr;
}

const std::vector<unsigned long>* MessageField::ulongList() const {
  return kind_ == FieldKind::kULongList ? static_cast<const std::vector<unsigned long>*>(OwnedPointer())
                                        : nullptr;
}

const CNMessageBase* MessageField::message() const {
  return kind_ == FieldKind::kMessage ? &static_cast<const CountedMessage*>(OwnedPointer())->value : nullptr;
}

const std::vector<CNMessageBase>* MessageField::messageList() const {
  return kind_ == FieldKind::kMessageList ? &static_cast<const CountedList*>(OwnedPointer())->value : nullptr;
}

void* MessageField::OwnedPointer() const {
  void* pointer = nullptr;
  std::memcpy(&pointer, payload_, sizeof pointer);
  return pointer;
}

void MessageField::Reset() noexcept {
  void* owned = OwnedPointer();
  switch (kind_) {
    case FieldKind::kString:
      if (inlineSize_ == kHeapString) delete[] static_cast<char*>(owned);
      break;
    case FieldKind::kIntList:
      delete static_cast<std::vector<int>*>(owned);
      break;
    case FieldKind::kULongList:
      delete static_cast<std::vector<unsigned long>*>(owned);
      break;
    case FieldKind::kMessage:
    case FieldKind::kMessageList:
      // A shared part goes with the last field that points at it.
      if (inlineSize_ != kSharedPart || RefsOf(kind_, owned).fetch_sub(1, std::memory_order_acq_rel) == 1) {
        if (kind_ == FieldKind::kMessage) delete static_cast<CountedMessage*>(owned);
        else delete static_cast<CountedList*>(owned);
      }
      break;
    case FieldKind::kInt64:
      break;
  }
  kind_ = FieldKind::kInt64;
  SetInt64(0);
}

void MessageField::SetInt64(long long value) noexcept {
  if (kind_ != FieldKind::kInt64) Reset();
  inlineSize_ = 0;
  std::memset(payload_, 0, sizeof payload_);
  std::memcpy(payload_, &value, sizeof value);
}

void MessageField::SetString(std::string_view value) {
  if (value.size() > kInlineCapacity) {
    SetOwned(FieldKind::kString, NewHeapString(value));
    inlineSize_ = kHeapString;
    return;
  }
  unsigned char bytes[kInlineCapacity] = {};
  std::memcpy(bytes, value.data(), value.size());  // copied first: `value` may be this field's own text
  Reset();
  kind_ = FieldKind::kString;
  inlineSize_ = static_cast<unsigned char>(value.size());
  std::memcpy(payload_, bytes, sizeof payload_);
}

void MessageField::SetOwned(FieldKind kind, void* object) noexcept {
  Reset();
  kind_ = kind;
  inlineSize_ = 0;
  std::memcpy(payload_, &object, sizeof object);
}

void MessageField::CopyValueFrom(const MessageField& other) {
  switch (other.kind_) {
    case FieldKind::kInt64:
      SetInt64(other.int64Value());
      break;
    case FieldKind::kString:
      SetString(other.stringValue());
      break;
    default:
      if (other.inlineSize_ == kSharedPart) {
        void* block = other.OwnedPointer();
        RefsOf(other.kind_, block).fetch_add(1, std::memory_order_relaxed);
        SetOwned(other.kind_, block);
        inlineSize_ = kSharedPart;
      } else {
        SetOwned(other.kind_, CopyOwned(other.kind_, other.OwnedPointer()));
      }
      break;
  }
}

void* MessageField::MutableOwned() {
  void* block = OwnedPointer();
  if (inlineSize_ == kSharedPart) {
    if (RefsOf(kind_, block).load(std::memory_order_acquire) == 1) {
      inlineSize_ = 0;  // no copy points at it any more: this field's own again
    } else {
      void* copy = CopyOwned(kind_, block);
      SetOwned(kind_, copy);
      block = copy;
    }
  }
  if (kind_ == FieldKind::kMessage) return &static_cast<CountedMessage*>(block)->value;
  return &static_cast<CountedList*>(block)->value;
}

void MessageField::Share() {
  if (!IsCountedPart() || inlineSize_ == kSharedPart) return;  // a shared part was marked whole
  void* block = OwnedPointer();
  if (kind_ == FieldKind::kMessage) {
    static_cast<CountedMessage*>(block)->value.Share();
  } else {
    for (CNMessageBase& element : static_cast<CountedList*>(block)->value) element.Share();
  }
  inlineSize_ = kSharedPart;
}

}  // namespace hx

using hx::FieldKind;
using hx::MessageField;

CNMessageBase::CNMessageBase(int module, int type) : CNMessageBase(module, type, nullptr) {}

CNMessageBase::CNMessageBase(int module, int type, const char* className)
    : className_(className), module_(module), type_(type) {
  if (!className_) {
    const hx::MessageClassInfo* info = hx::FindMessageClass(module, type);
    if (info) className_ = info->name;
  }
}

MessageField* CNMessageBase::Find(short i) {
  for (MessageField& field : fields_) {
    if (field.index() == i) return &field;
  }
  return nullptr;
}

const MessageField* CNMessageBase::Find(short i) const {
  return const_cast<CNMessageBase*>(this)->Find(i);
}

MessageField& CNMessageBase::Slot(short i, short t) {
  MessageField* field = Find(i);
  if (!field) return fields_.emplace_back(i, t);
  field->tag_ = t;
  return *field;
}

template <typename T, typename Make>
T* CNMessageBase::GetOwned(FieldKind kind, short i, short t, bool create, Make make) {
  MessageField* field = Find(i);
  if (field && field->kind() == kind) {
    return static_cast<T*>(field->IsCountedPart() ? field->MutableOwned() : field->OwnedPointer());
  }
  if (!create) return nullptr;
  auto block = make();
  MessageField& slot = Slot(i, t);
  slot.SetOwned(kind, block.get());
  if constexpr (std::is_same_v<decltype(block.get()), T*>) {
    return block.release();
  } else {
    return &block.release()->value;
  }
}

void CNMessageBase::setint64(short i, short t, long long value, unsigned long, unsigned int) {
  Slot(i, t).SetInt64(value);
}

void CNMessageBase::setstring(short i, short t, const std::string& value, unsigned long, unsigned int) {
  Slot(i, t).SetString(value);
}

void CNMessageBase::setlistulong(short i, short t, const std::vector<unsigned long>* list, unsigned long,
                                 unsigned int) {
  // The copy is made before the field changes: `list` may be this very field's value.
  auto copy = list ? std::make_unique<std::vector<unsigned long>>(*list)
                   : std::make_unique<std::vector<unsigned long>>();
  Slot(i, t).SetOwned(FieldKind::kULongList, copy.release());
}

void CNMessageBase::setObjectAccessor(const CNMessageBase* object, short i, short t, unsigned long,
                                      unsigned int) {
  if (!object) return;
  // `object` may live inside this field
  auto copy = std::make_unique<hx::CountedMessage>(std::in_place, *object);
  Slot(i, t).SetOwned(FieldKind::kMessage, copy.release());
}

CNMessageBase* CNMessageBase::getObjectAccessor(bool, bool create, short i, short t, unsigned long,
                                                unsigned int, int module, int type) {
  return GetOwned<CNMessageBase>(FieldKind::kMessage, i, t, create,
                                 [&] { return std::make_unique<hx::CountedMessage>(std::in_place, module, type); });
}

std::vector<CNMessageBase>* CNMessageBase::getlistobject(short i, short t, unsigned long, unsigned int,
                                                         bool create) {
  return GetOwned<std::vector<CNMessageBase>>(FieldKind::kMessageList, i, t, create,
                                              [] { return std::make_unique<hx::CountedList>(std::in_place); });
}

std::vector<int>* CNMessageBase::getlistint(short i, short t, unsigned long, unsigned int, bool create) {
  return GetOwned<std::vector<int>>(FieldKind::kIntList, i, t, create,
                                    [] { return std::make_unique<std::vector<int>>(); });
}

std::vector<unsigned long>* CNMessageBase::getlistulong(short i, short t, unsigned long, unsigned int,
                                                        bool create) {
  return GetOwned<std::vector<unsigned long>>(FieldKind::kULongList, i, t, create,
                                              [] { return std::make_unique<std::vector<unsigned long>>(); });
}

void CNMessageBase::ShrinkToFit() {
  fields_.shrink_to_fit();
  for (MessageField& field : fields_) {
    if (!field.IsCountedPart() || field.inlineSize_ == MessageField::kSharedPart) continue;
    if (field.kind() == FieldKind::kMessage) {
      static_cast<CNMessageBase*>(field.MutableOwned())->ShrinkToFit();
    } else {
      auto* list = static_cast<std::vector<CNMessageBase>*>(field.MutableOwned());
      list->shrink_to_fit();
      for (CNMessageBase& element : *list) element.ShrinkToFit();
    }
  }
}

void CNMessageBase::Share() {
  for (MessageField& field : fields_) field.Share();
}

const CNMessageBase* CNMessageBase::findObject(short i) const {
  const MessageField* field = Find(i);
  return field ? field->message() : nullptr;
}

const std::vector<CNMessageBase>* CNMessageBase::findList(short i) const {
  const MessageField* field = Find(i);
  return field ? field->messageList() : nullptr;
}

bool CNMessageBase::isSet(short i, unsigned long, unsigned int) const { return Find(i) != nullptr; }

long long CNMessageBase::getint64(short t, unsigned long, unsigned int) const {
  for (const MessageField& field : fields_) {
    if (field.tag() == t && field.kind() == FieldKind::kInt64) return field.int64Value();
  }
  return 0;
}

std::string CNMessageBase::getstring(short i, short, unsigned long, unsigned int) const {
  const MessageField* field = Find(i);
  return field ? std::string(field->stringValue()) : std::string();
}
