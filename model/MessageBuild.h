// Small conveniences over the host message accessors for the builders: the
// nested message at a field, and a new element appended to a list field.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "fields/Field.h"
#include "hx/Message.h"

namespace msgbuild {

// The nested message of class (module, type) at field i/t, created on first access.
inline CNMessageBase* Nested(CNMessageBase* msg, short i, short t, int module, int type) {
  return msg->getObjectAccessor(true, true, i, t, 0, 0, module, type);
}

template <class Named>
CNMessageBase* Nested(CNMessageBase* msg, short i, short t) {
  return Nested(msg, i, t, Named::kModule, Named::kType);
}

// Appends a new message of class (module, type) to the list at field i/t.
inline CNMessageBase* Append(CNMessageBase* msg, short i, short t, int module, int type) {
  std::vector<CNMessageBase>* list = msg->getlistobject(i, t, 0, 0, true);
  list->emplace_back(module, type);
  return &list->back();
}

template <class Named>
CNMessageBase* Append(CNMessageBase* msg, short i, short t) {
  return Append(msg, i, t, Named::kModule, Named::kType);
}

// The list at field i/t, or null when the message has none.
inline std::vector<CNMessageBase>* List(CNMessageBase* msg, short i, short t) {
  return msg->getlistobject(i, t, 0, 0, false);
}

}  // namespace msgbuild

// The same helpers over named fields (fields/*.h).
namespace msgbuild {

template <class Int, std::enable_if_t<std::is_integral_v<Int>, int> = 0>
void Set(CNMessageBase* msg, Field f, Int value) {
  msg->setint64(f.i, f.t, static_cast<long long>(value));
}
inline void Set(CNMessageBase* msg, Field f, const std::string& value) { msg->setstring(f.i, f.t, value); }
inline void Set(CNMessageBase* msg, Field f, const char* value) { msg->setstring(f.i, f.t, value); }
inline std::string GetString(const CNMessageBase& msg, Field f) { return msg.getstring(f.i, f.t); }
inline long long GetInt(const CNMessageBase& msg, Field f) { return msg.getint64(f.t); }
inline CNMessageBase* Nested(CNMessageBase* msg, Field f, int module, int type) {
  return Nested(msg, f.i, f.t, module, type);
}
// The nested message of class (module, type) at field f, or null when there is
// none: looking must not add an empty field to a message being searched.
inline CNMessageBase* Existing(CNMessageBase* msg, Field f, int module, int type) {
  return msg ? msg->getObjectAccessor(true, false, f.i, f.t, 0, 0, module, type) : nullptr;
}
template <class Named>
CNMessageBase* Nested(CNMessageBase* msg, Field f) {
  return Nested(msg, f.i, f.t, Named::kModule, Named::kType);
}
template <class Named>
CNMessageBase* Append(CNMessageBase* msg, Field f) {
  return Append(msg, f.i, f.t, Named::kModule, Named::kType);
}
inline std::vector<CNMessageBase>* List(CNMessageBase* msg, Field f) { return List(msg, f.i, f.t); }

}  // namespace msgbuild
