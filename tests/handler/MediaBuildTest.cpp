// Media discovery: the "rd=" name split, the names and type maps, the library,
// drive, medium and storage policy copy builders, and the driver on small
// reports (retention, jobs, which library a device joins).
#include <gtest/gtest.h>

#include <ctime>

#include "JobFixture.h"
#include "model/MessageBuild.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

using H = CForeignHandlerNWK;
using Lines = std::vector<std::string>;

std::vector<CNMessageBase>& Items(CNMessageBase* msg, short i, short t) {
  static std::vector<CNMessageBase> none;
  std::vector<CNMessageBase>* list = msg ? msgbuild::List(msg, i, t) : nullptr;
  return list ? *list : none;
}

// The list at field 1/1 of the message embedded at field i/t.
std::vector<CNMessageBase>& Inner(CNMessageBase* msg, short i, short t) {
  return Items(msg->getObjectAccessor(true, false, i, t, 0, 0, 0, 0), 1, 1);
}

// "id/kind=value" of each item of the info list embedded at field i/t.
Lines Info(CNMessageBase* holder, short i, short t) {
  Lines out;
  for (CNMessageBase& item : Inner(holder, i, t))
    out.push_back(std::to_string(item.getint64(1)) + "/" + std::to_string(item.getint64(6)) + "=" +
                  item.getstring(2, 2));
  return out;
}

class MediaBuild : public JobFixture {
 protected:
  void SetUp() override {
    JobFixture::SetUp();
    H::set_NWKServerName("srv");
    H::set_NWKMAName("mainma");
  }
  static NWKDrive Drive(const std::string& name, const std::string& jukebox, const std::string& family,
                        const std::string& type = "LTO Ultrium-5") {
    NWKDrive d;
    d.set_driveName(name);
    d.set_libName(jukebox);
    d.set_driveFamily(family);
    d.set_driveType(type);
    return d;
  }
  FDC::ForeignLibraryList libraries_;
  FDC::ForeignMediaList media_;
};

TEST_F(MediaBuild, RemoteNamesSplitIntoNameAndMediaAgent) {
  struct Case {
    const char* input;
    const char* name;
    const char* ma;
  } cases[] = {
      {"rd=snode01:/dev/rmt/0cbn", "/dev/rmt/0cbn", "snode01"},
      {"/dev/rmt/0cbn", "/dev/rmt/0cbn", "mainma"},
      {"rd=h:a:b", "a:b", "h"},
      {"rd=h:\\\\\\\\.\\\\Tape0", "\\\\.\\Tape0", "h"},  // doubled backslashes halved in the name...
      {"rd=h\\\\x:n", "n", "h\\\\x"},                    // ...never in the media agent
      {"RD=h:n", "RD=h:n", "mainma"},                    // the prefix is case-sensitive
      {"rd=snode01", "snode01", "mainma"},               // mended: no colon, the rest is the name
      {"", "", "mainma"},
  };
  for (const Case& c : cases) {
    std::string name = "stale", ma = "stale";
    NWKDrive::SplitRemoteName(c.input, name, ma);
    EXPECT_EQ(name, c.name) << c.input;
    EXPECT_EQ(ma, c.ma) << c.input;
  }
}

// The golden files pin the sample's libraries, drive-made ones included, and
// media; these are the cases the sample does not show.
TEST_F(MediaBuild, LibraryAndDriveNamesTheSampleDoesNotShow) {
  NWKLibrary remote, unnamed;
  remote.set_libName("rd=sn:SL150");
  remote.BuildLibrary(libraries_);
  unnamed.BuildLibrary(libraries_);
  std::vector<CNMessageBase>& list = Items(&libraries_, 1, 1);
  EXPECT_EQ(list[0].getstring(2, 2), "SL150");
  EXPECT_EQ(Info(&list[0], 6, 12).at(2), "2/3=SL150");  // no '@': the whole local name
  EXPECT_EQ(Info(&list[1], 6, 12).at(2), "2/3=Unknown");
  for (const char* name : {"rd=sn:/dev/rmt/0", "/dev/rmt/1", "/dev/rmt/2"})
    Drive(name, "", "tape").BuildDrive(&list[0]);
  EXPECT_EQ(Info(&Inner(&list[0], 4, 10).at(2), 1, 1).at(6), "157/1=3");

}

TEST_F(MediaBuild, MediaNamesRetentionAndJobs) {
  NWKLibrary jukebox;
  jukebox.set_libName("rd=sn:J@1");
  for (const char* refused : {"\"\"", " \"\" ", "", "  "}) jukebox.BuildMedia(media_, refused, {"k"}, 5);
  EXPECT_TRUE(Items(&media_, 1, 1).empty());
  jukebox.BuildMedia(media_, " A1 ", {"k1", "k2"}, 1800000000);
  jukebox.BuildMedia(media_, "A2", {}, 0);
  std::vector<CNMessageBase>& media = Items(&media_, 1, 1);
  ASSERT_EQ(media.size(), 2u);
  EXPECT_EQ(media[0].getstring(3, 6) + "@" + media[0].getstring(1, 1), "A1@J@1");
  Lines a1 = Info(&media[0], 5, 11);
  EXPECT_EQ(Lines(a1.begin() + 3, a1.end()),
            (Lines{"11/3=A1", "201/1=1", "207/3=A1", "218/2=1800000000", "203/3=k1", "203/3=k2"}));
  EXPECT_EQ(Info(&media[1], 5, 11).size(), 6u);  // no retention, no jobs
}

// number|name|data path name|data path library|data path media agent
Lines Copies(FDC::StoragePolicy& policy) {
  Lines out;
  for (CNMessageBase& copy : Items(&policy, 10, 25)) {
    CNMessageBase& path = Items(&copy, 15, 24).at(0);
    out.push_back(std::to_string(copy.getint64(5)) + "|" + copy.getstring(3, 6) + "|" + path.getstring(2, 5) + "|" +
                  path.getstring(5, 17) + "|" + path.getstring(4, 13));
  }
  return out;
}

TEST_F(MediaBuild, PoolCopiesAreNumberedCutAndLeadToTheirLibrary) {
  std::string longName = "/dev/" + std::string(60, 'x');
  std::vector<NWKDrive> drives = {Drive("rd=sn:/dev/rmt/0", "rd=sn:J1@1", "tape"), Drive("T1", "J2", "tape"),
                                  Drive("T2", "", "tape"), Drive("disk1", "J3", "Disk"), Drive(longName, "J4", "")};
  NWKStoragePolicy pool;
  pool.set_spName("P");
  pool.get_libNames() = {" \"rd=sn:/dev/rmt/0\"", "nomatch", "\"T1\"", "T2", "\"disk1\"", longName};
  FDC::StoragePolicy policy;
  policy.setstring(3, 9, "P");
  pool.BuildCopy(policy, drives);
  std::string cut = (longName + "_J4_mainma").substr(0, 64);
  EXPECT_EQ(Copies(policy),
            (Lines{"1|/dev/rmt/0_J1@1_sn|/dev/rmt/0_J1@1_sn|J1@1|sn", "2|T1_J2_mainma|T1_J2_mainma|J2|mainma",
                   "3|disk1_J3_mainma|disk1_J3_mainma|DISK_J3|mainma", "4|" + cut + "|" + cut + "|J4|mainma"}));
  EXPECT_EQ(policy.getstring(3, 9), "/dev/rmt/0_J1@1_sn");

  FDC::StoragePolicy untraced;
  untraced.setstring(3, 9, "Q");
  NWKStoragePolicy offsite;
  offsite.get_libNames() = {"\"rd=gone:/dev/rmt/0\"", "T2"};
  offsite.BuildCopy(untraced, drives);
  EXPECT_FALSE(untraced.isSet(10));
  EXPECT_EQ(untraced.getstring(3, 9), "Q");
}

// The driver on reports in the results directory, in replay mode.
class MediaDriver : public MediaBuild {
 protected:
  using Handler = CForeignHandlerNWK;
  void SetUp() override {
    MediaBuild::SetUp();
    CForeignCmdExecBase::set_UseExistingFiles(true);
    ServerFacts::Current().dateFormat = "dd/MM/yyyy";
    for (const char* report :
         {"tarn_mediainfo.txt", "tarn_libraries.txt", "tarn_drives.txt", "tarn_storagepolicies.txt"})
      GivenReport(report, "");
  }
  CNMessageBase Read(const std::string& name) {
    CNMessageBase msg(0, 0);
    std::string error;
    EXPECT_TRUE(hx::ReadMessageXmlFile(Results("xml/" + name), &msg, &error)) << error;
    return msg;
  }
  // Library name: local name of each drive.
  Lines Libraries() {
    CNMessageBase msg = Read("00001_FDC_ForeignLibraries.xml");
    Lines out;
    for (CNMessageBase& library : Inner(&msg, 4, 10)) {
      std::string line = library.getstring(2, 2) + ":";
      for (CNMessageBase& drive : Inner(&library, 4, 10)) line += " " + Info(&drive, 1, 1).at(1).substr(6);
      out.push_back(line);
    }
    return out;
  }
  // Medium@library and its retention and job items.
  Lines Media(const std::string& file = "00002_FDC_ForeignMedias.xml") {
    CNMessageBase msg = Read(file);
    Lines out;
    for (CNMessageBase& medium : Inner(&msg, 4, 10)) {
      std::string line = medium.getstring(3, 6) + "@" + medium.getstring(1, 1);
      for (const std::string& item : Info(&medium, 5, 11))
        if (item.rfind("218/", 0) == 0 || item.rfind("203/", 0) == 0) line += " " + item;
      out.push_back(line);
    }
    return out;
  }
  static std::string Midnight(int year, int month, int day) {
    tm t{0, 0, 0, day, month - 1, year - 1900, 0, 0, 0, 0, nullptr};
    return std::to_string(static_cast<unsigned int>(mktime(&t)));
  }
  static std::string Row(const std::string& volume, const std::string& expires) {
    return "," + volume + ",1 GB,1%," + expires + ",0 KB,1,1500 GB,1,1,LTO Ultrium-5\n";
  }
  Handler handler_;
};

const char* kHeader = "state,volume,written,percent-used,expires,read,mounts,capacity,volid,next,type\n";

TEST_F(MediaDriver, NothingDiscoveredStillGivesTheDefaultLibraryAndPolicy) {
  ASSERT_EQ(handler_.DiscoverMedia(nullptr), 1);
  EXPECT_EQ(Libraries(), Lines{"DefaultLibrary_NETWORKER_srv: @aaab"});
  EXPECT_EQ(Media(), Lines{});
  CNMessageBase policies = Read("00003_FDC_StoragePolicyList.xml");
  EXPECT_EQ(Items(&policies, 4, 10).size(), 1u);
  EXPECT_EQ(Log().find("Successfully collected media retention"), std::string::npos);  // an empty report failed
  EXPECT_NE(Log().find("Successfully collected library information. [0] libraries discovered"), std::string::npos);
}

// Barcodes listed after ", " and on the next line find their retention and jobs.
TEST_F(MediaDriver, RetentionOnlyFromDatesInTheServersFormat) {
  GivenReport("tarn_mediainfo.txt", std::string(kHeader) + Row("V1", "17/02/2027") + Row("V2", "02/17/2027") +
                                        Row("V3", "2027-02-17") + Row("V4", "undef") + Row("V5", "17.02.2027") +
                                        Row("V6", "1/3/27") + Row("V7", "") + Row("V9", "03/01/2030"));
  GivenReport("tarn_libraries.txt", "name: J;\nSTL barcodes: V1, V2, V3, V4, V5, V6, V7, V8,\n    V9;\n");
  for (const char* volume : {"V1", "V9"}) handler_.DumpMediaJobMapping(volume, {std::string("job_") + volume});
  ASSERT_EQ(handler_.DiscoverMedia(nullptr), 1);
  EXPECT_EQ(Media(), (Lines{"V1@J 218/2=" + Midnight(2027, 2, 17) + " 203/3=job_V1", "V2@J", "V3@J", "V4@J", "V5@J",
                            "V6@J 218/2=" + Midnight(2027, 3, 1), "V7@J", "V8@J",
                            "V9@J 218/2=" + Midnight(2030, 1, 3) + " 203/3=job_V9"}));

  // The real "mminfo -m" values: two-digit US years and "undef".
  ServerFacts::Current().dateFormat = "MM/dd/yy";
  GivenReport("tarn_mediainfo.txt", std::string(kHeader) + Row("UNN568", "01/13/19") + Row("UNN596", "undef"));
  GivenReport("tarn_libraries.txt", "name: K;\nSTL barcodes: UNN568, UNN596;\n");
  Handler fresh;
  ASSERT_EQ(fresh.DiscoverMedia(nullptr), 1);
  EXPECT_EQ(Media("00005_FDC_ForeignMedias.xml"), (Lines{"UNN568@K 218/2=" + Midnight(2019, 1, 13), "UNN596@K"}));
}

TEST_F(MediaDriver, DevicesJoinTheFirstLibraryOfTheirJukeboxesLocalName) {
  GivenReport("tarn_libraries.txt", "name: \"rd=sn:J@1\";\nname: J@1;\n");
  GivenReport("tarn_drives.txt",
              "name: \"rd=sn:/d0\";\nparent jukebox: \"rd=sn:J@1\";\n"
              "name: /d1;\nparent jukebox: J@1;\n"
              "name: /d2;\nparent jukebox: Gone@9;\n"
              "name: /d3;\nparent jukebox: /d2_mainma;\n"
              "name: aftd;\nmedia family: disk;\nvolume name: vol1;\n"
              "name: \\\n");
  GivenReport("tarn_mediainfo.txt", std::string(kHeader) + Row("vol1", "05/06/2031"));
  handler_.DumpMediaJobMapping("vol1", {"j1", "j2"});
  ASSERT_EQ(handler_.DiscoverMedia(nullptr), 1);
  EXPECT_EQ(Libraries(),
            (Lines{"DefaultLibrary_NETWORKER_srv: @aaab", "J@1: /d0 /d1", "J@1:", "/d2_mainma: /d2_mainma /d3",
                   "DISK_aftd_mainma: DISK_aftd_mainma", "_mainma: _mainma"}));
  EXPECT_EQ(Media(), (Lines{"aftd_mainma@DISK_aftd_mainma 203/3=j1 203/3=j2 218/2=" + Midnight(2031, 6, 5)}));
}

}  // namespace
