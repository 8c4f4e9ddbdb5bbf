// Builds messages from a stream of bytes: any class (registered, unnamed, or a
// name of arbitrary bytes), any nesting, fields of every kind with awkward values.
// The writer's fuzz target feeds it the fuzzer's input, its unit test a seeded
// random generator; both write the result with both XML writers.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "hx/Message.h"
#include "hx/MessageClasses.h"

namespace fuzzsupport {

// `Source` is called for every byte: `uint8_t source()`.
template <class Source>
class MessageGenerator {
 public:
  explicit MessageGenerator(Source source) : source_(source) {}

  // A message no deeper than `maxDepth` below it, of kMaxFields fields at most
  // over all messages this generator makes.
  CNMessageBase Message(int maxDepth) {
    CNMessageBase msg = Shell();
    int fields = maxDepth > 0 ? Byte() % 9 : Byte() % 4;
    for (int n = 0; n < fields && fieldsLeft_ > 0; ++n, --fieldsLeft_) AddField(&msg, maxDepth);
    return msg;
  }

  // False once a class name of arbitrary bytes was used: the reader accepts
  // registered names only, so such a message is not read back.
  bool readable() const { return readable_; }

 private:
  uint8_t Byte() { return source_(); }
  short Short() {
    int high = Byte();
    return static_cast<short>(high << 8 | Byte());
  }
  int Int() {
    uint32_t high = static_cast<uint16_t>(Short());
    return static_cast<int>(high << 16 | static_cast<uint16_t>(Short()));
  }

  long long Int64() {
    switch (Byte() % 5) {
      case 0: return std::numeric_limits<long long>::min();
      case 1: return std::numeric_limits<long long>::max();
      case 2: return Byte() % 3 - 1;
      default: {
        uint64_t high = static_cast<uint32_t>(Int());
        return static_cast<long long>(high << 32 | static_cast<uint32_t>(Int()));
      }
    }
  }

  // Text as hostile as reports get: any byte, broken UTF-8, markup, line ends.
  std::string Text() {
    static const char* const kPieces[] = {"]]>", "<", ">", "&", "\"", "'", "\r\n", "\t", "\xC3\xA9",
                                          "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xEF\xBF\xBE", "\xED\xA0\x80",
                                          "\xC0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "&amp;", "abc"};
    std::string text;
    for (int n = Byte() % 24; n > 0; --n) {
      uint8_t choice = Byte();
      if (choice < 128) text += static_cast<char>(Byte());
      else text += kPieces[choice % (sizeof kPieces / sizeof kPieces[0])];
    }
    return text;
  }

  CNMessageBase Shell() {
    switch (Byte() % 4) {
      case 0: {  // named only when the numbers happen to be a registered class's
        int module = Int();
        return CNMessageBase(module, Int());
      }
      case 1: {
        names_.push_back(Text());  // must outlive the message
        readable_ = false;
        int module = Int();
        return CNMessageBase(module, Int(), names_.back().c_str());
      }
      default: {
        const hx::MessageClassInfo* begin = hx::MessageClassesBegin();
        const hx::MessageClassInfo& info = begin[Byte() % (hx::MessageClassesEnd() - begin)];
        return CNMessageBase(info.module, info.type, info.name);
      }
    }
  }

  void AddField(CNMessageBase* msg, int maxDepth) {
    short i = Byte() % 2 ? Short() : static_cast<short>(Byte() % 16);  // small ones repeat: replaced in place
    short t = Short();
    switch (Byte() % 6) {
      case 0: msg->setint64(i, t, Int64()); break;
      case 1: msg->setstring(i, t, Text()); break;
      case 2: {
        std::vector<int>* list = msg->getlistint(i, t, 0, 0, true);
        if (list) for (int n = Byte() % 5; n > 0; --n) list->push_back(static_cast<int>(Int64()));
        break;
      }
      case 3: {
        std::vector<unsigned long> list;
        for (int n = Byte() % 5; n > 0; --n) list.push_back(static_cast<unsigned long>(Int64()));
        msg->setlistulong(i, t, &list);
        break;
      }
      case 4:
        if (maxDepth > 0) {
          CNMessageBase inner = Message(maxDepth - 1);
          msg->setObjectAccessor(&inner, i, t);
        }
        break;
      default:
        if (maxDepth > 0) {
          std::vector<CNMessageBase>* list = msg->getlistobject(i, t, 0, 0, true);
          for (int n = Byte() % 4; n > 0 && list; --n) list->push_back(Message(maxDepth - 1));
        }
    }
  }

  static constexpr int kMaxFields = 400;  // nesting multiplies fields: keep messages small

  Source source_;
  int fieldsLeft_ = kMaxFields;
  std::deque<std::string> names_;
  bool readable_ = true;
};

}  // namespace fuzzsupport
