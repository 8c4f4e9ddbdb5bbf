// Tests of the message store (field order, replacement, accessors, copies) and
// of the registry of named message classes.
#include "hx/Message.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hx/MessageClasses.h"

namespace {

using hx::FieldKind;

std::string DumpMessage(const CNMessageBase& msg);

template <typename T>
std::string DumpNumbers(const std::vector<T>& list) {
  std::string out = "[";
  for (T value : list) out += (out.size() > 1 ? "," : "") + std::to_string(value);
  return out + "]";
}

std::string DumpValue(const hx::MessageField& field) {
  switch (field.kind()) {
    case FieldKind::kInt64: return "int=" + std::to_string(field.int64Value());
    case FieldKind::kString: return "str=\"" + std::string(field.stringValue()) + "\"";
    case FieldKind::kIntList: return "ints=" + DumpNumbers(*field.intList());
    case FieldKind::kULongList: return "ulongs=" + DumpNumbers(*field.ulongList());
    case FieldKind::kMessage: return "msg=" + DumpMessage(*field.message());
    case FieldKind::kMessageList: break;
  }
  std::string out = "list=[";
  for (const CNMessageBase& element : *field.messageList()) out += (out.size() > 6 ? " " : "") + DumpMessage(element);
  return out + "]";
}

// One line per message: Class(module,type){i/t:kind=value ...}; "?" for an unnamed class.
std::string DumpMessage(const CNMessageBase& msg) {
  std::string out = std::string(msg.className() ? msg.className() : "?") + "(" + std::to_string(msg.module()) +
                    "," + std::to_string(msg.type()) + "){";
  for (std::size_t n = 0; n < msg.fieldCount(); ++n) {
    const hx::MessageField& field = msg.field(n);
    out += (n ? " " : "") + std::to_string(field.index()) + "/" + std::to_string(field.tag()) + ":" + DumpValue(field);
  }
  return out + "}";
}

TEST(MessageTest, BuildsFieldsInFirstSetOrder) {
  const std::vector<unsigned long> ulongs = {1, 2};
  const struct {
    const char* name;
    std::function<void(CNMessageBase&)> build;
    const char* dump;  // of the fields only, between the braces
  } cases[] = {
      {"order of first set",
       [](CNMessageBase& m) { m.setint64(5, 5, 1); m.setint64(1, 1, 2); m.setint64(3, 3, 3); },
       "5/5:int=1 1/1:int=2 3/3:int=3"},
      {"replacing keeps the position",
       [](CNMessageBase& m) { m.setint64(1, 1, 1); m.setstring(2, 2, "a"); m.setint64(1, 1, 9); },
       "1/1:int=9 2/2:str=\"a\""},
      {"another kind and tag in place",
       [](CNMessageBase& m) { m.setint64(1, 1, 1); m.setint64(2, 2, 2); m.setstring(1, 4, "x"); },
       "1/4:str=\"x\" 2/2:int=2"},
      {"null ulong list is an empty list", [](CNMessageBase& m) { m.setlistulong(3, 3, nullptr); }, "3/3:ulongs=[]"},
      {"ulong list is copied",
       [&](CNMessageBase& m) { std::vector<unsigned long> v = ulongs; m.setlistulong(3, 3, &v); v.push_back(3); },
       "3/3:ulongs=[1,2]"},
      {"a field's own list set again",
       [&](CNMessageBase& m) {
         m.setlistulong(3, 3, &ulongs);
         m.setlistulong(3, 3, m.getlistulong(3, 3, 0, 0, false));
       },
       "3/3:ulongs=[1,2]"},
      {"create replaces another kind in place",
       [](CNMessageBase& m) { m.setint64(1, 1, 5); m.setint64(2, 2, 6); m.getlistint(1, 7, 0, 0, true)->push_back(7); },
       "1/7:ints=[7] 2/2:int=6"},
      {"list elements keep their class",
       [](CNMessageBase& m) {
         m.getlistobject(1, 1, 0, 0, true)->push_back(App::ClientInfo());
         m.getlistobject(1, 1, 0, 0, false)->push_back(CNMessageBase(1, 2));
       },
       "1/1:list=[App::ClientInfo(30,163){} ?(1,2){}]"},
      {"embedded message of a registered pair is named",
       [](CNMessageBase& m) { m.getObjectAccessor(true, true, 2, 3, 0, 0, 32, 17)->setint64(1, 1, 4); },
       "2/3:msg=FDC::InfoItem(32,17){1/1:int=4}"},
      {"set object stores a copy",
       [](CNMessageBase& m) {
         App::OperatingSystem os;
         os.setstring(1, 1, "Linux");
         m.setObjectAccessor(&os, 2, 2);
         os.setstring(1, 1, "changed");
       },
       "2/2:msg=App::OperatingSystem(30,18){1/1:str=\"Linux\"}"},
      {"null object changes nothing", [](CNMessageBase& m) { m.setint64(1, 1, 1); m.setObjectAccessor(nullptr, 1, 1); },
       "1/1:int=1"},
      {"a message set into itself", [](CNMessageBase& m) { m.setint64(1, 1, 1); m.setObjectAccessor(&m, 2, 2); },
       "1/1:int=1 2/2:msg=?(7,9){1/1:int=1}"},
      {"a field replaced by a message it holds",
       [](CNMessageBase& m) {
         CNMessageBase* outer = m.getObjectAccessor(true, true, 1, 1, 0, 0, 7, 9);
         outer->getObjectAccessor(true, true, 1, 1, 0, 0, 7, 10)->setstring(2, 2, "a string past inline room");
         m.setObjectAccessor(outer->getObjectAccessor(true, false, 1, 1, 0, 0, 7, 10), 1, 1);
       },
       "1/1:msg=?(7,10){2/2:str=\"a string past inline room\"}"},
  };
  for (const auto& c : cases) {
    CNMessageBase msg(7, 9);
    c.build(msg);
    EXPECT_EQ(DumpMessage(msg), std::string("?(7,9){") + c.dump + "}") << c.name;
  }
}

TEST(MessageTest, StringsSurviveEveryReplacement) {
  // Around the inline room of a field, and with bytes a C string would cut.
  const std::vector<std::string> values = {"",
                                           "a",
                                           std::string(hx::MessageField::kInlineCapacity, 'b'),
                                           std::string(hx::MessageField::kInlineCapacity + 1, 'c'),
                                           std::string(300, 'd'),
                                           std::string("a\0b", 3),
                                           std::string("long with\0 a nul byte", 21)};
  for (const std::string& first : values) {
    for (const std::string& second : values) {
      CNMessageBase msg(1, 1);
      msg.setstring(4, 7, first);
      EXPECT_EQ(msg.getstring(4, 7), first);
      msg.setstring(4, 7, second);
      CNMessageBase copy = msg;
      EXPECT_EQ(copy.getstring(4, 7), second) << first.size() << " then " << second.size();
      EXPECT_EQ(msg.fieldCount(), 1u);
    }
  }
}

CNMessageBase NestedMessage() {
  App::ClientsList msg;
  msg.setint64(2, 2, 0);
  for (int n = 0; n < 3; ++n) {
    App::ClientInfo client;
    client.setstring(1, 1, "client-with-a-long-name-" + std::to_string(n));
    client.getlistint(20, 62, 0, 0, true)->push_back(n);
    client.getObjectAccessor(true, true, 1, 1, 0, 0, 30, 115)->setstring(4, 7, "Backup Client");
    msg.getlistobject(1, 1, 0, 0, true)->push_back(client);
  }
  return msg;
}

TEST(MessageTest, CopiesAreDeep) {
  const CNMessageBase original = NestedMessage();
  const std::string before = DumpMessage(original);
  CNMessageBase copy = original;
  CNMessageBase assigned(1, 1);
  assigned = original;
  for (CNMessageBase* changed : {&copy, &assigned}) {
    EXPECT_EQ(DumpMessage(*changed), before);
    CNMessageBase& client = changed->getlistobject(1, 1, 0, 0, false)->at(1);
    client.getlistint(20, 62, 0, 0, false)->push_back(99);
    client.getObjectAccessor(true, false, 1, 1, 0, 0, 30, 115)->setstring(4, 7, "changed");
  }
  EXPECT_EQ(DumpMessage(original), before);
}

// A shared template's copies point at its parts until one of them changes a
// part through a get accessor; that copy alone changes, and the parts outlive
// the template.
TEST(MessageTest, SharedPartsAreCopiedWhenAndWhereACopyChangesThem) {
  auto original = std::make_unique<CNMessageBase>(NestedMessage());
  original->Share();
  const std::string before = DumpMessage(*original);
  CNMessageBase changed = *original;
  CNMessageBase untouched = *original;
  const std::vector<CNMessageBase>* clients = original->field(1).messageList();
  EXPECT_EQ(untouched.field(1).messageList(), clients) << "the copy should point at the shared list";
  EXPECT_EQ(changed.findObject(1), nullptr);  // field 1 holds a list, not a message
  EXPECT_EQ(changed.field(1).messageList(), clients) << "looking must not copy";

  CNMessageBase& client = changed.getlistobject(1, 1, 0, 0, false)->at(1);
  EXPECT_NE(changed.field(1).messageList(), clients);
  EXPECT_EQ(client.findObject(1), clients->at(1).findObject(1)) << "parts below the changed one stay shared";
  client.getObjectAccessor(true, false, 1, 1, 0, 0, 30, 115)->setstring(4, 7, "changed");
  client.getlistint(20, 62, 0, 0, false)->push_back(99);
  EXPECT_EQ(DumpMessage(*original), before);
  EXPECT_EQ(DumpMessage(untouched), before);
  original.reset();
  EXPECT_EQ(DumpMessage(untouched), before);
  EXPECT_NE(DumpMessage(changed).find("\"changed\""), std::string::npos);
  EXPECT_NE(DumpMessage(changed).find("[1,99]"), std::string::npos);
}

// --- The class registry ---

template <typename... Classes>
void ExpectRegistered() {
  std::set<unsigned long> keys;
  for (const CNMessageBase& msg : {static_cast<const CNMessageBase&>(Classes())...}) {
    const hx::MessageClassInfo* info = hx::FindMessageClass(msg.module(), msg.type());
    ASSERT_NE(info, nullptr) << msg.className();
    EXPECT_STREQ(info->name, msg.className());
    EXPECT_EQ(hx::FindMessageClassByKey(info->key), info) << info->name;
    EXPECT_STREQ(CNMessageBase(msg.module(), msg.type()).className(), msg.className());
    keys.insert(info->key);
  }
  std::vector<unsigned long> declared = {Classes::kClassKey...};
  EXPECT_EQ(keys, std::set<unsigned long>(declared.begin(), declared.end())) << "kClassKey disagrees with the registry";
  EXPECT_EQ(keys.size(), sizeof...(Classes)) << "class keys must be distinct";
  EXPECT_EQ(static_cast<std::size_t>(hx::MessageClassesEnd() - hx::MessageClassesBegin()), sizeof...(Classes));
  EXPECT_EQ(CNMessageBase(30, 115).className(), nullptr);
  EXPECT_EQ(hx::FindMessageClass(30, 115), nullptr);
  EXPECT_EQ(hx::FindMessageClassByKey(0), nullptr);
}

// Only these classes, each under its own key; other pairs and keys are unnamed.
TEST(MessageClassesTest, EveryClassIsRegisteredUnderItsOwnKey) {
  ExpectRegistered<App::ClientsList, App::ClientInfo, App::PVXInfo, App::InstanceInfo, App::BackupSetInfo,
                   App::SubClientInfo, App::ComponentInfo, App::AttributeInfo, App::AttributeInfoEx,
                   App::OperatingSystem, FDC::ExternalNBUConfig, FDC::DiscoveryError, FDC::StoragePolicyList,
                   FDC::StoragePolicy, FDC::StoragePolicyCopy, FDC::StoragePolicyDataPath, FDC::ForeignLibraries,
                   FDC::ForeignLibraryItem, FDC::ForeignLibraryHost, FDC::ForeignDriveItem, FDC::InfoItem,
                   FDC::ForeignMedias, FDC::ForeignMediaItem, FDC::JobList, FDC::JobInfo, FDC::DataInfo,
                   TMMsg::CreateTaskReq, TMMsg::SubTaskInfo, HxEntities::GenericEntity, FDC::ForeignLibraryList,
                   FDC::ForeignMediaList>();
}

}  // namespace
