// The host's message: a module and type number, an optional class name and an
// ordered set of typed fields. Stored compactly, because job discovery holds
// hundreds of thousands of small messages at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CNMessageBase;

namespace hx {

enum class FieldKind : unsigned char { kInt64, kString, kIntList, kULongList, kMessage, kMessageList };

// One field of a message: index, tag and a value of one kind. A field takes 16
// bytes: an int64 or a string of up to kInlineCapacity bytes lives inside it;
// a longer string, a list or an embedded message owns one heap block.
// Copies are deep, except for embedded messages and message lists marked
// shared (CNMessageBase::Share): copies of those point at the same block,
// counted, which is copied only when one of them is changed. Fields are made
// and changed only through CNMessageBase.
class MessageField {
 public:
  static constexpr std::size_t kInlineCapacity = 10;

  MessageField(short index, short tag) noexcept;  // holds int64 0
  MessageField(const MessageField& other);
  MessageField(MessageField&& other) noexcept;
  MessageField& operator=(const MessageField& other);
  MessageField& operator=(MessageField&& other) noexcept;
  ~MessageField();

  short index() const { return index_; }
  short tag() const { return tag_; }
  FieldKind kind() const { return kind_; }

  // Each accessor answers for its own kind only: 0, an empty view or null otherwise.
  // Views and pointers stay valid until the field is replaced or destroyed.
  long long int64Value() const;
  std::string_view stringValue() const;
  const std::vector<int>* intList() const;
  const std::vector<unsigned long>* ulongList() const;
  const CNMessageBase* message() const;
  const std::vector<CNMessageBase>* messageList() const;

 private:
  friend class ::CNMessageBase;
  static constexpr unsigned char kHeapString = 0xFF;  // inlineSize_ of a string on the heap
  static constexpr unsigned char kSharedPart = 1;     // inlineSize_ of a message or list marked shared

  void Reset() noexcept;  // frees what the value owns; the field then holds int64 0
  void SetInt64(long long value) noexcept;
  void SetString(std::string_view value);
  // Takes ownership of `object`, whose type must match `kind`.
  void SetOwned(FieldKind kind, void* object) noexcept;
  void* OwnedPointer() const;  // the heap block of a long string, list or message
  void CopyValueFrom(const MessageField& other);
  bool IsCountedPart() const { return kind_ == FieldKind::kMessage || kind_ == FieldKind::kMessageList; }
  // Of an embedded message or message list: the value, made this field's own
  // first when it is shared with copies (so it may be changed).
  void* MutableOwned();
  // Of an embedded message or message list: marks it, and every part below it,
  // shared by the copies of this field.
  void Share();

  short index_;
  short tag_;
  FieldKind kind_;
  unsigned char inlineSize_;
  unsigned char payload_[kInlineCapacity];  // int64, pointer or inline string bytes
};

}  // namespace hx

// A message of the host library. Fields are keyed by their index i: setting an
// index that exists replaces the value (and tag) in place, otherwise the field
// is appended, so fields keep the order in which they were first set. Class and
// field keys are accepted as the callers pass them and otherwise unused.
// Pointers returned by the get accessors are owned by the message and stay valid
// until that field is replaced or the message is destroyed or assigned to.
class CNMessageBase {
 public:
  // The class name is looked up among the registered classes (null when unknown).
  CNMessageBase(int module, int type);
  // `className` must outlive the message (a string literal or static table entry).
  CNMessageBase(int module, int type, const char* className);
  CNMessageBase(const CNMessageBase&) = default;
  CNMessageBase& operator=(const CNMessageBase&) = default;
  CNMessageBase(CNMessageBase&&) noexcept = default;
  CNMessageBase& operator=(CNMessageBase&&) noexcept = default;
  virtual ~CNMessageBase() = default;

  void setint64(short i, short t, long long value, unsigned long classKey = 0, unsigned int fieldKey = 0);
  void setstring(short i, short t, const std::string& value, unsigned long classKey = 0,
                 unsigned int fieldKey = 0);
  // A null list sets an empty list.
  void setlistulong(short i, short t, const std::vector<unsigned long>* list, unsigned long classKey = 0,
                    unsigned int fieldKey = 0);
  // Stores a copy of `object`; a null object leaves the message unchanged.
  void setObjectAccessor(const CNMessageBase* object, short i, short t, unsigned long classKey = 0,
                         unsigned int fieldKey = 0);

  // The get accessors answer the field's value when it has the asked kind. Otherwise,
  // with `create` they put an empty value of that kind in the field (keeping its
  // position, or appending it) and answer that; without `create` they answer null.
  // `byRef` is accepted for the callers; the answer is always the stored message.
  CNMessageBase* getObjectAccessor(bool byRef, bool create, short i, short t, unsigned long classKey,
                                   unsigned int fieldKey, int module, int type);
  std::vector<CNMessageBase>* getlistobject(short i, short t, unsigned long classKey, unsigned int fieldKey,
                                            bool create);
  std::vector<int>* getlistint(short i, short t, unsigned long classKey, unsigned int fieldKey, bool create);
  std::vector<unsigned long>* getlistulong(short i, short t, unsigned long classKey, unsigned int fieldKey,
                                           bool create);

  bool isSet(short i, unsigned long classKey = 0, unsigned int fieldKey = 0) const;
  // The int64 field with tag t; 0 when there is none.
  long long getint64(short t, unsigned long classKey = 0, unsigned int fieldKey = 0) const;
  // The string field i; "" when absent or of another kind.
  std::string getstring(short i, short t, unsigned long classKey = 0, unsigned int fieldKey = 0) const;

  static void Initialize() {}  // nothing to set up; kept for the callers

  // Gives back the spare room of this message's field table and of every
  // message below it that is not shared: for messages kept by the thousand
  // once built.
  void ShrinkToFit();

  // Marks every embedded message and message list below this message shared:
  // a copy of this message then copies only its own field table and points at
  // the same parts, and a part is copied when a copy asks for it through a get
  // accessor (which may change it). Made for templates copied by the hundred
  // thousand, whose copies change a few parts each. Pointers into the parts
  // taken before must not be used to change them afterwards. Copies may be
  // destroyed on any thread.
  void Share();
  // The message embedded at field i, or null; read-only, so a shared part is
  // never copied for it.
  const CNMessageBase* findObject(short i) const;
  // The same for the message list at field i.
  const std::vector<CNMessageBase>* findList(short i) const;

  int module() const { return module_; }
  int type() const { return type_; }
  const char* className() const { return className_; }  // null for an unnamed class

  // Read-only walk, in the order fields were first set.
  std::size_t fieldCount() const { return fields_.size(); }
  const hx::MessageField& field(std::size_t n) const { return fields_[n]; }  // n < fieldCount()

 private:
  hx::MessageField* Find(short i);
  const hx::MessageField* Find(short i) const;
  // The field i with its tag set to t, appended when missing.
  hx::MessageField& Slot(short i, short t);
  // Shared body of the get accessors; `make` builds the empty value to store.
  template <typename T, typename Make>
  T* GetOwned(hx::FieldKind kind, short i, short t, bool create, Make make);

  std::vector<hx::MessageField> fields_;
  const char* className_;
  int module_;
  int type_;
};
