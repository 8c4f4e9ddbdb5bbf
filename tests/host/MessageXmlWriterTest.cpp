// The message XML writer against libxml2's text writer, its reference: the same
// bytes for random messages, for every byte value and pair of bytes in text and
// class names, for strings longer than the writer's pieces and documents longer
// than its buffer, written into memory and into files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "fuzz/MessageGenerator.h"
#include "host/src/XmlReferenceWriter.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

// Both writers agree on success, error and bytes; the document is answered.
std::string SameFromBoth(const CNMessageBase& msg) {
  std::string fast, reference, fastError, referenceError;
  bool written = hx::WriteMessageXml(msg, &fast, &fastError);
  EXPECT_EQ(written, hx::WriteMessageXmlReference(msg, &reference, &referenceError)) << fastError;
  EXPECT_EQ(fastError, referenceError);
  EXPECT_EQ(fast, reference);
  return fast;
}

// Read back with libxml2 and written again: the same document, so the same values.
void ExpectReadsBack(const std::string& xml) {
  CNMessageBase back(0, 0);
  std::string again, error;
  ASSERT_TRUE(hx::ReadMessageXml(xml, &back, &error)) << error << "\n" << xml;
  ASSERT_TRUE(hx::WriteMessageXml(back, &again, &error)) << error;
  EXPECT_EQ(again, xml);
}

TEST(MessageXmlWriterTest, RandomMessagesGiveTheReferenceBytes) {
  std::mt19937 random(20261207);
  auto source = [&]() { return static_cast<uint8_t>(random()); };
  for (int n = 0; n < 2000; ++n) {
    fuzzsupport::MessageGenerator<decltype(source)> generator(source);
    CNMessageBase msg = generator.Message(n % 50 == 0 ? hx::kMaxMessageDepth + 2 : 4);
    std::string xml = SameFromBoth(msg);
    if (!xml.empty() && generator.readable()) ExpectReadsBack(xml);
    if (HasFailure()) FAIL() << "message " << n;
  }
}

// Every pair of bytes in a string, and each byte before a continuation byte in a
// class name: one message per first byte, a field per second.
TEST(MessageXmlWriterTest, EveryByteAndPairOfBytes) {
  std::vector<std::string> names;
  for (int first = 0; first < 256; ++first) names.push_back(std::string(1, static_cast<char>(first)) + "\xA9x");
  for (int first = 0; first < 256; ++first) {
    CNMessageBase msg(1, 2, names[static_cast<std::size_t>(first)].c_str());
    for (int second = 0; second < 256; ++second) {
      char pair[] = {static_cast<char>(first), static_cast<char>(second)};
      msg.setstring(static_cast<short>(second), 1, std::string(pair, 2));
    }
    SameFromBoth(msg);
    if (HasFailure()) FAIL() << "first byte " << first;
  }
}

// Long strings are escaped in pieces and documents flushed in chunks: multi-byte
// characters, broken sequences and entities land on every boundary.
TEST(MessageXmlWriterTest, LongStringsAndLongDocuments) {
  const std::string units[] = {"a", "<", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xE2\x82", "\x01", "\r"};
  CNMessageBase msg(30, 164);
  short index = 0;
  for (const std::string& unit : units) {
    for (std::size_t shift = 0; shift < 4; ++shift) {
      std::string text(64 * 1024 - shift, 'x');
      while (text.size() < 200 * 1024) text += unit;
      msg.setstring(++index, 1, text);
    }
  }
  testutil::ScopedTempDir tmp;
  std::string xml = SameFromBoth(msg), error;
  ASSERT_GT(xml.size(), std::size_t{2} << 20) << "longer than the writer's buffer";
  ExpectReadsBack(xml);
  ASSERT_TRUE(hx::WriteMessageXmlFile(msg, tmp / "long.xml", &error)) << error;
  EXPECT_EQ(testutil::ReadFile(tmp / "long.xml"), xml);
}

// A string written into grows from a small buffer and keeps nothing of what it held.
TEST(MessageXmlWriterTest, WritingIntoAStringReplacesIt) {
  FDC::JobList big, small;
  for (int n = 0; n < 2000; ++n) big.getlistobject(1, 1, 0, 0, true)->push_back(FDC::JobInfo());
  std::string xml(100, 'z'), error;
  ASSERT_TRUE(hx::WriteMessageXml(big, &xml, &error)) << error;
  EXPECT_EQ(xml, SameFromBoth(big));
  ASSERT_TRUE(hx::WriteMessageXml(small, &xml, &error)) << error;
  EXPECT_EQ(xml, SameFromBoth(small));
}

}  // namespace
