// estate.xlsx end to end: the workbook opened as the zip it is, each sheet's
// XML read back and held against reviewed cells; hostile names in cells.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>

#include "../../tools/nwk-discover/EstateWorkbook.h"
#include "DiscoverRun.h"
#include "hx/Files.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";

// One member of a zip file, through `unzip -p`; "" when it is missing.
std::string ZipMember(const std::string& zip, const std::string& member) {
  std::string command = "unzip -p '" + zip + "' '" + member + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[65536];
  for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (pipe) pclose(pipe);
  return out;
}

std::string Text(xmlNode* node) {
  xmlChar* text = xmlNodeGetContent(node);
  std::string out = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return out;
}

// A sheet's cells, row by row (a missing cell is ""), read with libxml2, so
// the XML must be well formed too.
std::vector<std::vector<std::string>> Rows(const std::string& xml) {
  std::vector<std::vector<std::string>> rows;
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "sheet.xml", nullptr, XML_PARSE_NONET);
  EXPECT_NE(doc, nullptr) << "sheet XML not well formed";
  if (!doc) return rows;
  for (xmlNode* data = xmlDocGetRootElement(doc)->children; data; data = data->next) {
    if (xmlStrcmp(data->name, BAD_CAST "sheetData") != 0) continue;
    for (xmlNode* row = data->children; row; row = row->next) {
      rows.emplace_back();
      for (xmlNode* cell = row->children; cell; cell = cell->next) {
        xmlChar* ref = xmlGetProp(cell, BAD_CAST "r");
        std::size_t column = static_cast<std::size_t>(ref[0] - 'A');
        xmlFree(ref);
        rows.back().resize(column + 1);
        rows.back()[column] = Text(cell);
      }
    }
  }
  xmlFreeDoc(doc);
  return rows;
}

// Every sheet, named as the workbook names it, a row a line, cells split by tabs.
std::string Dump(const std::string& book) {
  std::string workbook = ZipMember(book, "xl/workbook.xml"), out;
  int n = 0;
  for (std::size_t at = 0; (at = workbook.find("<sheet name=\"", at)) != std::string::npos; ++at) {
    std::size_t start = at + 13;
    out += "== " + workbook.substr(start, workbook.find('"', start) - start) + "\n";
    for (const auto& row : Rows(ZipMember(book, "xl/worksheets/sheet" + std::to_string(++n) + ".xml"))) {
      for (std::size_t c = 0; c < row.size(); ++c) out += (c ? "\t" : "") + row[c];
      out += "\n";
    }
  }
  return out;
}

class Workbook : public DiscoverRun {
 protected:
  std::string Out() const { return dir_ / "out"; }
  std::string Book() const { return Out() + "/estate.xlsx"; }
};

// The reviewed cells of the sample (dates are serial day numbers, days since
// 1899-12-30); the media sheet as a sample of the layout.
TEST_F(Workbook, SampleCellsMatchTheReviewedGolden) {
  ASSERT_EQ(Discover(Out(), {}), 0) << output_;
  EXPECT_EQ(Dump(Book()), testutil::ReadFile(std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/report/estate-cells.txt"));
  std::string sheet = ZipMember(Book(), "xl/worksheets/sheet4.xml");
  for (const char* part : {"state=\"frozen\"", "<autoFilter ref=\"A1:D", "<col min=\"1\" max=\"1\" width=\""})
    EXPECT_NE(sheet.find(part), std::string::npos) << part;
}

// The run builds its report from the messages as it writes them; `report`
// rebuilds it from the files: every sheet, the summary and the page agree.
TEST_F(Workbook, ReportRebuildsWhatTheRunBuiltAndLeavesNoTemporaryFile) {
  ASSERT_EQ(Discover(Out(), {}), 0) << output_;
  std::vector<std::string> run;
  for (int n = 1; n <= 6; ++n) run.push_back(ZipMember(Book(), "xl/worksheets/sheet" + std::to_string(n) + ".xml"));
  for (const char* file : {"/summary.json", "/report.html"}) run.push_back(testutil::ReadFile(Out() + file));
  std::remove(Book().c_str());
  ASSERT_EQ(Discover(Out(), {"report"}), 0) << output_;
  for (int n = 1; n <= 6; ++n)
    EXPECT_EQ(ZipMember(Book(), "xl/worksheets/sheet" + std::to_string(n) + ".xml"), run[n - 1]) << "sheet " << n;
  EXPECT_EQ(testutil::ReadFile(Out() + "/summary.json"), run[6]);
  EXPECT_EQ(testutil::ReadFile(Out() + "/report.html"), run[7]);
  for (const std::string& name : testutil::ListDir(Out())) EXPECT_FALSE(hx::IsLeftoverTemporary(name)) << name;
}

TEST_F(Workbook, HostileNamesReachTheCellsEscapedAndValid) {
  std::string dataset = testutil::CopyDataset(
      kSample, dir_ / "dataset",
      {{"tarn_client.txt",
        "\nname: zz<b>&amp;\xFF\x01;\nserver: nwsrv01;\ngroup: UNIX_Daily;\nsave set: /x;\nclient OS type: Linux;\n"}});
  int status = Discover(Out(), {"--replay", dataset});
  ASSERT_TRUE(status == 0 || status == 1) << output_;
  std::string xml = ZipMember(Book(), "xl/worksheets/sheet1.xml");
  EXPECT_NE(xml.find("zz&lt;b&gt;&amp;amp;\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);
  auto clients = Rows(xml);
  ASSERT_FALSE(clients.empty());
  EXPECT_EQ(clients.back()[0], "zz<b>&amp;\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(WorkbookCell, TextIsValidAndFitsACell) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain <&>", "plain <&>"},
      {"tab\tline\nbell\x07", "tab\tline\nbell\xEF\xBF\xBD"},
      {"bad\xC3", "bad\xEF\xBF\xBD"},
      {std::string(32766, 'a') + "\xC3\xA9", std::string(32766, 'a')},  // a character is not cut in two
      {std::string(40000, 'b'), std::string(32767, 'b')},
  };
  for (const auto& [input, cell] : cases) EXPECT_EQ(nwk::CellText(input), cell) << input.substr(0, 20);
}

}  // namespace
