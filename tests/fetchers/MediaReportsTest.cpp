// Device, jukebox, pool and media reports: the sample's awkward layouts, the
// bad inputs each parser must survive, and the real published reports.
#include <gtest/gtest.h>

#include <sstream>

#include "JobFixture.h"
#include "fetchers/CNWKDriveInfoFetcher.h"
#include "fetchers/CNWKLibraryInfoFetcher.h"
#include "fetchers/CNWKMediaInfoFetcher.h"
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"

namespace {

using Lines = std::vector<std::string>;

Lines Drives(const std::string& text) {
  std::vector<NWKDrive> drives;
  CNWKDriveInfoFetcher::ParseDriveReport(text, &drives);
  Lines out;
  for (const NWKDrive& d : drives)
    out.push_back(d.get_driveName() + "|" + d.get_driveFamily() + "|" + d.get_driveType() + "|" + d.get_volName() +
                  "|" + d.get_libName());
  return out;
}

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
  return out;
}

// name|model|drives|serial|code,code,...
Lines Jukeboxes(const std::string& text) {
  std::vector<NWKLibrary> libraries;
  CNWKLibraryInfoFetcher::ParseLibraryReport(text, &libraries);
  Lines out;
  for (NWKLibrary& l : libraries)
    out.push_back(l.get_libName() + "|" + l.get_libType() + "|" + l.get_noDrives() + "|" + l.get_libSerial() + "|" +
                  Join(l.get_stlcodes()));
  return out;
}

// name:device,device,...
Lines Pools(const std::string& text) {
  std::vector<NWKStoragePolicy> pools;
  CNWKStoragePolicyInfoFetcher::ParsePoolReport(text, &pools);
  Lines out;
  for (NWKStoragePolicy& p : pools) out.push_back(p.get_spName() + ":" + Join(p.get_libNames()));
  return out;
}

std::string WithCrlf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST(DeviceJukeboxAndPoolReports, AwkwardLayoutsInLfAndCrlf) {
  struct Case {
    Lines (*parse)(const std::string&);
    const char* report;
    Lines want;
  } cases[] = {
      // clang-format off
      // Quotes go from the name and the jukebox, stay on family and type; backslashes stay doubled.
      {Drives, "name: \"\\\\\\\\.\\\\Tape0\";\nmedia type: \"LTO Ultrium-5\";\nmedia family: tape;\n"
       "parent jukebox: \"rd=sn:J@1\";\nvolume name: A1;\n",
       {"\\\\\\\\.\\\\Tape0|tape|\"LTO Ultrium-5\"|A1|rd=sn:J@1"}},
      // A lone "\" moves the name to the next line, which loses its quotes and ';'.
      {Drives, "name: \\\n\"rd=sn:/dev/rmt/2cbn\";\nmedia family: tape;\n", {"rd=sn:/dev/rmt/2cbn|tape|||"}},
      // The report ends right after the lone "\": the device stays, unnamed.
      {Drives, "name: d1;\nname: \\\n", {"d1||||", "||||"}},
      // Attributes before the first name belong to no device.
      {Drives, "media family: disk;\nvolume name: V;\nname: d1;\n", {"d1||||"}},
      {Drives, "type: NSR device;\ncomment: name: not a name;\n", {}},
      // Jukeboxes: barcode lists on one or several lines.
      {Jukeboxes, "name: J;\nmodel: Standard SCSI Jukebox;\nnumber drives: 2;\nnumber devices: 2;\n"
       "jukebox serial number: QA12;\nSTL barcodes: A1, A2, A3;\n",
       {"J|Standard SCSI Jukebox|2||A1,A2,A3"}},  // the serial is never kept
      {Jukeboxes, "name: \"rd=sn:SL150@1.0.0\";\nSTL barcodes: A1, A2,\nA3, A4,\nA5;\nload sleep: 5;\n",
       {"rd=sn:SL150@1.0.0||||A1,A2,A3,A4,A5"}},
      {Jukeboxes, "name: J;\nSTL barcodes: \\\nB1, B2,\nB3, \"\";\n", {"J||||B1,B2,B3,\"\""}},
      // Lines are joined without a separator: a line not ending in ',' runs into the next.
      {Jukeboxes, "name: J;\nSTL barcodes: A1,\nA2\nA3;\n", {"J||||A1,A2A3"}},
      // ";" alone: no code, and the next line is an attribute again.
      {Jukeboxes, "name: J;\nSTL barcodes: ;\nmodel: M;\n", {"J|M|||"}},
      // A list that already ended with ';' does not read on.
      {Jukeboxes, "name: J;\nSTL barcodes: A1,;\nmodel: M;\n", {"J|M|||A1,"}},
      // Cut short by the end of the report: what was read is kept.
      {Jukeboxes, "name: J;\nSTL barcodes: A1, A2,\nA3", {"J||||A1,A2,A3"}},
      {Jukeboxes, "STL barcodes: X1;\nmodel: M;\nname: J;\n", {"J||||"}},
      // Pools: device lists keep their quotes.
      {Pools, "name: Default;\ndevices: \"\\\\\\\\.\\\\Tape0\", /dev/nst0;\n",
       {"Default:\"\\\\\\\\.\\\\Tape0\",/dev/nst0"}},
      {Pools, "name: P;\ndevices: \\\n\"a\",\n\"b\";\nstore index entries: Yes;\n", {"P:\"a\",\"b\""}},
      {Pools, "name: P;\ndevices: \"a\", \n  \"b\";\n", {"P:\"a\",\"b\""}},
      {Pools, "type: NSR pool;\nname: P;\ngroups: G1, G2;\ndevices: ;\nclients: c;\n", {"P:"}},
      {Pools, "name: P;\ndevices: a,\nb", {"P:a,b"}},
      // Issue 13: alphabetical prints; a "type:" line starts the resource, whatever precedes the name.
      {Drives, "type: NSR device;\nmedia family: tape;\nmedia type: LTO;\nname: d1;\nparent jukebox: J;\n"
       "volume name: V1;\n\ntype: NSR device;\nmedia family: disk;\nname: \\\n\"rd=sn:/aftd\";\n",
       {"d1|tape|LTO|V1|J", "rd=sn:/aftd|disk|||"}},
      {Jukeboxes, "type: NSR jukebox;\njukebox serial number: S;\nmodel: M;\nname: J1;\nnumber drives: 2;\n\n"
       "type: NSR jukebox;\nSTL barcodes: A1,\nA2;\nmodel: M2;\nname: J2;\n",
       {"J1|M|2||", "J2|M2|||A1,A2"}},
      {Pools, "type: NSR pool;\ndevices: \"a\",\n\"b\";\nname: P1;\n\ntype: NSR pool;\ndevices: c;\nname: P2;\n",
       {"P1:\"a\",\"b\"", "P2:c"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    EXPECT_EQ(c.parse(c.report), c.want);
    EXPECT_EQ(c.parse(WithCrlf(c.report)), c.want) << "CRLF";
  }
}

using Expiry = std::map<std::string, std::string>;

TEST(MediaReport, HeaderDroppedShortRowsSkippedFirstRowWins) {
  const std::string header = "state,volume,written,percent-used,expires,read,mounts,capacity,volid,next,type\n";
  struct Case {
    std::string report;
    bool ok;
    Expiry want;
  } cases[] = {
      {"", false, {}},
      {"  \n\n", false, {}},
      {header, true, {}},
      {",V1,6 GB,full,17/02/2027,0 KB,16,1500 GB,1,21,LTO\n", true, {}},  // the first line is the header
      {header + ",V1,6 GB,1%,17/02/2027,0 KB,16,1500 GB,1,21,LTO\n", true, {{"V1", "17/02/2027"}}},
      {header + ",V1,6 GB,1%,17/02/2027,0 KB,16,1500 GB,1,21\n", true, {}},  // 10 columns
      {header + ",V1,1,full,undef,0,1,2,3,4,5\n,V1,1,2,01/01/2030,0,1,2,3,4,5\n", true, {{"V1", "undef"}}},
      {header + " , V2 ,1,2, 13/01/19 ,0,1,2,3,4,5,extra\n", true, {{"V2", "13/01/19"}}},
  };
  for (const Case& c : cases) {
    for (const std::string& text : {c.report, WithCrlf(c.report)}) {
      Expiry expiry;
      EXPECT_EQ(CNWKMediaInfoFetcher::ParseMediaReport(text, &expiry), c.ok) << c.report;
      EXPECT_EQ(expiry, c.want) << c.report;
    }
  }
}

// The authors' "#" prefixes and indentation go; "create type: ...;name: X;"
// lines become the two lines print shows.
std::string Reference(const std::string& name) {
  std::istringstream in(testutil::ReadFile(std::string(NWK_REFERENCE_DIR) + "/" + name));
  std::string out, line;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t#");
    line = start == std::string::npos ? "" : line.substr(start);
    if (line.rfind("create ", 0) == 0) line = line.substr(7);
    if (size_t at = line.find(";name:"); at != std::string::npos) line.replace(at, 1, ";\n");
    out += line + "\n";
  }
  return out;
}

// mminfo -m prints aligned columns; our command asks for the same columns
// comma-separated, followed by volid, next and type (-v), which these
// samples lack and are left empty.
std::string AsMediaReport(const std::string& aligned) {
  std::istringstream in(aligned);
  std::string out = "state,volume,written,percent-used,expires,read,mounts,capacity,volid,next,type\n", line;
  std::getline(in, line);  // the aligned header
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() != 10) continue;
    out += "," + w[0] + "," + w[1] + " " + w[2] + "," + w[3] + "," + w[4] + "," + w[5] + " " + w[6] + "," + w[7] + "," +
           w[8] + " " + w[9] + ",,,\n";
  }
  return out;
}

TEST(ReferenceMediaReports, DevicesPoolsAndVolumesAreAllKept) {
  Lines devices = Drives(Reference("nsr_device_savydom_1.txt") + Reference("nsr_device_bigclone_1.txt"));
  EXPECT_EQ(devices, (Lines{"/dev/rmt/506cbn||||", "/dev/rmt/507cbn||||", "rd=sscustno1:/dev/rmt/508cbn||||",
                            "rd=sscustno1:/dev/rmt/509cbn||||", "/dev/rmt/505cbn||||",
                            "rd=sscustno1:/dev/rmt/312cbn||||", "\\\\\\\\.\\\\Tape0||||"}));
  Lines pools = Pools(Reference("nsr_pool_savydom_1.txt"));
  EXPECT_EQ(pools, (Lines{"AFTD_POOL:", "NATO:", "NavyNuclear:", "SSCNOLALTO5:", "SscnolaADIC:", "SscnolaADIC:"}));

  Expiry expiry;
  ASSERT_TRUE(CNWKMediaInfoFetcher::ParseMediaReport(AsMediaReport(Reference("mminfo_m_savydom_1.txt")), &expiry));
  EXPECT_EQ(expiry, (Expiry{{"UNN568", "01/13/19"},
                            {"UNN569", "01/13/19"},
                            {"UNN596", "undef"},
                            {"UNN597", "undef"},
                            {"UNN598", "undef"}}));
}

}  // namespace
