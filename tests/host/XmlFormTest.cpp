// Tests of the XML form: the exact written layout, cleaning and escaping of text,
// round trips, the reader's answers to hostile input, file placement, and
// the observer of the messages a handler writes.
#include "hx/XmlForm.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "hx/Files.h"
#include "hx/HandlerBase.h"
#include "hx/JobContext.h"
#include "hx/MessageClasses.h"
#include "hx/MessageObserver.h"

namespace {

namespace fs = std::filesystem;
const std::string kFffd = "\xEF\xBF\xBD";

std::string Xml(const CNMessageBase& msg) {
  std::string xml, error;
  EXPECT_TRUE(hx::WriteMessageXml(msg, &xml, &error)) << error;
  return xml;
}

// String 1/1 as the reader gets it back; the reader's parser accepts well-formed XML only.
std::string ReadBackString(const std::string& xml) {
  CNMessageBase back(0, 0);
  std::string error;
  return hx::ReadMessageXml(xml, &back, &error) ? back.getstring(1, 1) : "<not read: " + error + ">";
}

CNMessageBase StringMessage(const std::string& value) {
  CNMessageBase msg(5, 6);
  msg.setstring(1, 1, value);
  return msg;
}

TEST(XmlFormTest, WritesTheDocumentedLayout) {
  App::ClientsList list;
  list.setint64(2, 2, 0);
  App::ClientInfo client;
  client.getObjectAccessor(true, true, 1, 1, 0, 0, 30, 115)->setstring(4, 7, "Backup Client");
  list.getlistobject(1, 1, 0, 0, true)->push_back(client);
  *list.getlistint(20, 62, 0, 0, true) = {1, 4};
  std::vector<unsigned long> seven = {7};
  list.setlistulong(24, 75, &seven);
  list.getlistobject(30, 30, 0, 0, true);
  list.getObjectAccessor(true, true, 31, 31, 0, 0, 32, 17);
  list.setstring(32, 32, "");
  EXPECT_EQ(Xml(list),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<msg class=\"App::ClientsList\" module=\"30\" type=\"164\">\n"
            "  <int64 i=\"2\" t=\"2\">0</int64>\n"
            "  <list i=\"1\" t=\"1\">\n"
            "    <msg class=\"App::ClientInfo\" module=\"30\" type=\"163\">\n"
            "      <msg i=\"1\" t=\"1\" module=\"30\" type=\"115\">\n"
            "        <string i=\"4\" t=\"7\">Backup Client</string>\n"
            "      </msg>\n"
            "    </msg>\n"
            "  </list>\n"
            "  <intlist i=\"20\" t=\"62\"><v>1</v><v>4</v></intlist>\n"
            "  <ulonglist i=\"24\" t=\"75\"><v>7</v></ulonglist>\n"
            "  <list i=\"30\" t=\"30\"/>\n"
            "  <msg class=\"FDC::InfoItem\" i=\"31\" t=\"31\" module=\"32\" type=\"17\"/>\n"
            "  <string i=\"32\" t=\"32\"></string>\n"
            "</msg>\n");
}

TEST(XmlFormTest, CleansTextThatXmlCannotHold) {
  const struct {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"plain", "plain text", "plain text"},
      {"tab, newline, CR", "a\tb\nc\rd", "a\tb\nc\rd"},
      {"2, 3, 4-byte UTF-8", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"DEL and C1 are allowed", "\x7F\xC2\x85", "\x7F\xC2\x85"},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"control bytes", std::string("a\x01" "b\x1F" "c\0", 6), "a" + kFffd + "b" + kFffd + "c" + kFffd},
      {"stray bytes", "\xFF x \x80", kFffd + " x " + kFffd},
      {"truncated sequence", "\xE2\x82" "A", kFffd + kFffd + "A"},
      {"truncated at the end", "A\xF0\x9F\x98", "A" + kFffd + kFffd + kFffd},
      {"overlong", "\xC0\x80\xE0\x80\xAF", kFffd + kFffd + kFffd + kFffd + kFffd},
      {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
      {"U+FFFE and U+FFFF", "\xEF\xBF\xBE\xEF\xBF\xBF", kFffd + kFffd + kFffd + kFffd + kFffd + kFffd},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hx::CleanXmlText(c.in), c.out) << c.name;
    EXPECT_EQ(hx::CleanXmlText(c.out), c.out) << c.name << ": cleaning twice changes nothing";
  }
}

TEST(XmlFormTest, EscapesMarkupAndKeepsCarriageReturns) {
  const struct {
    std::string value, element;
  } cases[] = {
      {"a<b>&c", "<string i=\"1\" t=\"1\">a&lt;b&gt;&amp;c</string>"},
      {"\"double\" 'single'", "<string i=\"1\" t=\"1\">&quot;double&quot; 'single'</string>"},
      {"line\r\nnext\ttab", "<string i=\"1\" t=\"1\">line&#13;\nnext\ttab</string>"},
      {"  padded  ", "<string i=\"1\" t=\"1\">  padded  </string>"},
      {"]]> <!-- -->", "<string i=\"1\" t=\"1\">]]&gt; &lt;!-- --&gt;</string>"},
  };
  for (const auto& c : cases) {
    std::string xml = Xml(StringMessage(c.value));
    EXPECT_NE(xml.find(c.element), std::string::npos) << xml;
    EXPECT_EQ(ReadBackString(xml), c.value);
  }
}

std::string Nested(int depth) {
  std::string xml = "<msg module=\"1\" type=\"1\">";
  for (int n = 0; n < depth; ++n) xml += "<msg i=\"1\" t=\"1\" module=\"1\" type=\"1\">";
  for (int n = 0; n < depth; ++n) xml += "</msg>";
  return xml + "</msg>";
}

TEST(XmlFormTest, NestingIsCapped) {
  CNMessageBase msg(0, 0);
  std::string error;
  EXPECT_TRUE(hx::ReadMessageXml(Nested(hx::kMaxMessageDepth), &msg, &error)) << error;
  EXPECT_FALSE(hx::ReadMessageXml(Nested(hx::kMaxMessageDepth + 1), &msg, &error));
  EXPECT_NE(error.find("nest deeper than 64"), std::string::npos) << error;
  EXPECT_FALSE(hx::ReadMessageXml(Nested(100000), &msg, &error));
  CNMessageBase deep(1, 1);
  for (int n = 0; n <= hx::kMaxMessageDepth; ++n) {
    CNMessageBase outer(1, 1);
    outer.setObjectAccessor(&deep, 1, 1);
    deep = outer;
  }
  std::string xml;
  EXPECT_FALSE(hx::WriteMessageXml(deep, &xml, &error)) << "written files must be readable";
}

#define HEAD "<msg module=\"1\" type=\"2\">"
TEST(XmlFormTest, RejectsMalformedInputWithTheLine) {
  const struct {
    std::string xml, error;
  } cases[] = {
      {"", "line 1: Document is empty"},
      {HEAD "\n<int64 i=\"1\" t=\"1\">1</int64>", "line 2: "},  // unclosed root
      {"<root/>", "line 1: the root element is <root>, not <msg>"},
      {"<msg type=\"2\"/>", "<msg> lacks the attribute module"},
      {"<msg module=\"x1\" type=\"2\"/>", "<msg> attribute module=\"x1\" is not a number in range"},
      {"<msg module=\"1\" type=\"2\" i=\"1\"/>", "<msg> has an unexpected attribute \"i\""},
      {"<msg class=\"App::ClientInfo\" module=\"30\" type=\"164\"/>",
       "class \"App::ClientInfo\" is not the class of module 30 type 164"},
      {HEAD "\n\n<int64 i=\"1\" t=\"1\">12abc</int64></msg>", "line 3: <int64> value \"12abc\" is not a number"},
      {HEAD "<int64 i=\"1\" t=\"1\">99999999999999999999</int64></msg>", "value \"99999999999999999999\" is not"},
      {HEAD "<int64 i=\"1\" t=\"1\"/></msg>", "<int64> value \"\" is not a number"},
      {HEAD "<int64 i=\"40000\" t=\"1\">1</int64></msg>", "<int64> attribute i=\"40000\" is not a number"},
      {HEAD "<float i=\"1\" t=\"1\">1</float></msg>", "unknown element <float>"},
      {HEAD "hello</msg>", "<msg> may hold field elements only"},
      {HEAD "<int64 i=\"1\" t=\"1\">1</int64><string i=\"1\" t=\"2\"/></msg>", "field i=1 appears twice"},
      {HEAD "<intlist i=\"1\" t=\"1\"><x>1</x></intlist></msg>", "<intlist> may hold <v> elements only"},
      {HEAD "<intlist i=\"1\" t=\"1\"><v>3000000000</v></intlist></msg>", "<v> value \"3000000000\" is not"},
      {HEAD "<ulonglist i=\"1\" t=\"1\"><v>-1</v></ulonglist></msg>", "<v> value \"-1\" is not"},
      {HEAD "<string i=\"1\" t=\"1\">a<b/></string></msg>", "<string> may hold text only"},
      {HEAD "<list i=\"1\" t=\"1\"><int64 i=\"1\" t=\"1\">1</int64></list></msg>", "<list> may hold <msg> elements"},
      {HEAD "<msg t=\"1\" module=\"1\" type=\"1\"/></msg>", "<msg> lacks the attribute i"},
      {"<!DOCTYPE msg [<!ENTITY x \"y\">]>\n" HEAD "<string i=\"1\" t=\"1\">&x;</string></msg>",
       "line 2: a document type declaration is not accepted"},
      {"<!DOCTYPE msg [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
       "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
       "<msg module=\"1\" type=\"2\" class=\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"/>",
       "line 1: "},
  };
  for (const auto& c : cases) {
    CNMessageBase msg(4, 4);
    msg.setint64(1, 1, 7);
    std::string error;
    EXPECT_FALSE(hx::ReadMessageXml(c.xml, &msg, &error)) << c.xml;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.xml << "\n  error: " << error;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    EXPECT_EQ(msg.getint64(1), 7) << "a failed read leaves the message alone";
  }
}
#undef HEAD

// --- Files ---

class XmlFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void Touch(const std::string& name) const { std::ofstream(dir_ / name) << "x"; }

  testutil::ScopedTempDir tmp_;
  const fs::path dir_ = tmp_.path();
};

TEST_F(XmlFileTest, ReportsFileErrorsWithThePath) {
  std::string error, missing = (dir_ / "no" / "msg.xml").string();
  EXPECT_FALSE(hx::WriteMessageXmlFile(StringMessage("x"), missing, &error));
  EXPECT_NE(error.find(missing + "': No such file or directory"), std::string::npos) << error;
  fs::create_directory(dir_ / "folder");
  EXPECT_FALSE(hx::WriteMessageXmlFile(StringMessage("x"), (dir_ / "folder").string(), &error));
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"folder"}) << "the temporary file is removed";
  CNMessageBase msg(0, 0);
  EXPECT_FALSE(hx::ReadMessageXmlFile(missing, &msg, &error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  Touch("bad.xml");
  EXPECT_FALSE(hx::ReadMessageXmlFile((dir_ / "bad.xml").string(), &msg, &error));
  EXPECT_EQ(error.rfind((dir_ / "bad.xml").string() + ": line 1: ", 0), 0u) << error;
  Touch("file");
  EXPECT_FALSE(hx::DumpMessageToFolder(msg, (dir_ / "file" / "xml").string(), nullptr, &error));
}

// The job's observer is told of each message the handler base writes, on the
// thread that made it and in number order, and of the writes that failed. A
// write's companion runs elsewhere, before the write, and its error lines are
// logged before the write's own.
TEST_F(XmlFileTest, ObserverAndCompanionFollowEachDumpAndItsOutcome) {
  struct Handler : CForeignHandlerBase {
    using CForeignHandlerBase::DumpXmlMsgToFile;
    using CForeignHandlerBase::FinishXmlMsgDump;
    using CForeignHandlerBase::StartXmlMsgDump;
  };
  struct Observer : hx::MessageObserver {
    void Writing(const CNMessageBase& msg) override {
      seen += std::string(" +") + msg.className() + (std::this_thread::get_id() == thread ? "" : " elsewhere");
    }
    void Written(const std::string& path) override { seen += " =" + (path.empty() ? "failed" : fs::path(path).filename().string()); }
    std::string seen;
    std::thread::id thread = std::this_thread::get_id();
  } observer;
  const hx::JobContext saved = hx::JobContext::Current();
  hx::JobContext::Current().messageObserver = &observer;
  hx::JobContext::Current().resultsDir = dir_.string();
  Handler handler;
  App::ClientsList clients;
  handler.DumpXmlMsgToFile(&clients, 0, false);
  handler.StartXmlMsgDump(FDC::JobList());
  EXPECT_TRUE(handler.FinishXmlMsgDump());
  Touch("file");
  hx::JobContext::Current().resultsDir = (dir_ / "file").string();  // xml/ cannot be made below a file
  hx::LogSink::SetCapture(true);
  handler.StartXmlMsgDump(FDC::JobList(), [&observer](const CNMessageBase& list) {
    observer.seen += std::string(" companion ") + list.className() +
                     (std::this_thread::get_id() == observer.thread ? "" : " elsewhere");
    return std::vector<hx::ErrorLine>{{"Companion", "first"}, {"Companion", "second"}};
  });
  EXPECT_FALSE(handler.FinishXmlMsgDump());
  const std::string log = hx::LogSink::Captured();
  hx::LogSink::SetCapture(false);
  EXPECT_FALSE(handler.DumpXmlMsgToFile(&clients, 0, false));
  hx::JobContext::Current() = saved;
  EXPECT_EQ(observer.seen, " +App::ClientsList =00001_App_ClientsList.xml +FDC::JobList =00002_FDC_JobList.xml"
                           " +FDC::JobList companion FDC::JobList elsewhere =failed +App::ClientsList =failed");
  const size_t first = log.find("Companion Error: first"), second = log.find("Companion Error: second");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_LT(first, second);
  EXPECT_LT(second, log.find("cannot write XML message")) << log;
}

// Each case dumps twice: the second file takes the next number and leaves the first alone.
TEST_F(XmlFileTest, DumpNumbersContinueAfterTheHighestAndNeverOverwrite) {
  const struct {
    std::vector<std::string> existing;
    int module, type;
    std::string written, nextNumber;
  } cases[] = {
      {{}, 30, 164, "00001_App_ClientsList.xml", "00002"},  // the folder is created
      {{"00007_x.xml"}, 30, 164, "00008_App_ClientsList.xml", "00009"},
      {{"00007_x.xml", "00003_y.xml", "readme.txt", "12_z.xml", "00020_no.txt", "00090x_.xml", "00050_"}, 32, 74,
       "00008_FDC_ExternalNBUConfig.xml", "00009"},
      {{"123456_big.xml"}, 12, 175, "123457_TMMsg_CreateTaskReq.xml", "123458"},
      {{"99999999999999999999999_huge.xml"}, 7, 9, "00001_Msg_7_9.xml", "00002"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    const fs::path folder = dir_ / std::to_string(n++) / "results" / "xml";
    if (!c.existing.empty()) fs::create_directories(folder);
    for (const std::string& name : c.existing) std::ofstream(folder / name) << "x";
    CNMessageBase msg(c.module, c.type), next(c.module, c.type);
    next.setstring(1, 1, "next");
    std::string path, nextPath, error;
    ASSERT_TRUE(hx::DumpMessageToFolder(msg, folder.string(), &path, &error)) << error;
    ASSERT_TRUE(hx::DumpMessageToFolder(next, folder.string(), &nextPath, &error)) << error;
    EXPECT_EQ(path, (folder / c.written).string());
    EXPECT_EQ(nextPath, (folder / (c.nextNumber + c.written.substr(c.written.find('_')))).string());
    EXPECT_EQ(testutil::ReadFile(path), Xml(msg));
    EXPECT_EQ(testutil::ReadFile(nextPath), Xml(next));
    EXPECT_EQ(Names(folder).size(), c.existing.size() + 2) << "no temporary file is left";
  }
}

// Dumps and new files are written unnamed and linked into place; they get the
// same mode as files written through a temporary file, whatever the umask.
TEST_F(XmlFileTest, FilesWrittenUnnamedOrRenamedAreMode0644) {
  const mode_t saved = umask(077);
  std::string dumped, error;
  const std::string fresh = (dir_ / "new.txt").string(), replaced = (dir_ / "old.txt").string();
  Touch("old.txt");
  ASSERT_TRUE(hx::DumpMessageToFolder(StringMessage("x"), (dir_ / "xml").string(), &dumped, &error)) << error;
  ASSERT_TRUE(hx::ReplaceFile(fresh, "new", &error)) << error;
  ASSERT_TRUE(hx::ReplaceFile(replaced, "old", &error)) << error;
  umask(saved);
  for (const std::string& path : {dumped, fresh, replaced}) {
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 07777, 0644u) << path;
  }
  EXPECT_EQ(testutil::ReadFile(fresh) + testutil::ReadFile(replaced), "newold");
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"new.txt", "old.txt", "xml"})) << "no temporary file is left";
}

// A copy is whole whether the kernel copies it (same file system) or it is
// read and written (from another file system, such as /dev/shm).
TEST_F(XmlFileTest, CopiesAreWholeWithinAndAcrossFileSystems) {
  std::string content(3 << 20, '\0');
  for (size_t n = 0; n < content.size(); ++n) content[n] = static_cast<char>(n * 7 + n / 4093);
  std::vector<fs::path> sources = {dir_ / "source"};
  if (fs::is_directory("/dev/shm")) sources.push_back(fs::path("/dev/shm") / ("nwk-copy-" + std::to_string(getpid())));
  int n = 0;
  for (const fs::path& source : sources) {
    std::ofstream(source, std::ios::binary) << content;
    const std::string copy = (dir_ / ("copy" + std::to_string(n++))).string();
    std::string error;
    EXPECT_TRUE(hx::CopyFileReplacing(source.string(), copy, &error)) << error;
    EXPECT_TRUE(testutil::ReadFile(copy) == content) << source;
    fs::remove(source);
  }
}

}  // namespace
