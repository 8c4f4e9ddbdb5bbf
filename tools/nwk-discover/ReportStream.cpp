// The pull reader walks the file. For jobs and media, the field indexes on the
// way down tell which field of the row a text belongs to; elements of other
// lists are rebuilt as messages, one at a time.
#include "ReportStream.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

#include "ReportXmlPull.h"
#include "fields/JobFields.h"
#include "fields/MediaFields.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

namespace nwk {
namespace {

using Pull = ReportXmlPull;
constexpr int kListElement = INT_MIN;  // no field index is this
constexpr int L = kListElement;       // for the ways below

long long ToNumber(std::string_view text) {
  long long value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool Blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// ---- messages ----------------------------------------------------------------

bool BuildMessage(Pull& pull, CNMessageBase* out, int depth);

template <typename T>
bool NumberText(Pull& pull, T* value) {
  std::string text;
  if (!pull.ReadText(&text)) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return (ec == std::errc() && end == text.data() + text.size()) ||
         pull.Fail("<" + std::string(pull.name()) + "> value \"" + text.substr(0, 40) + "\" is not a number in range");
}

// Calls `onChild` at each element inside the one just started, up to its end;
// blank text between them is layout.
template <typename OnChild>
bool Children(Pull& pull, OnChild onChild) {
  std::size_t depth = pull.depth();
  while (pull.Next()) {
    if (pull.token() == Pull::kEnd && pull.depth() == depth) return true;
    if (pull.token() == Pull::kText && !Blank(pull.text())) return pull.Fail("text where elements are expected");
    if (pull.token() == Pull::kStart && !onChild()) return false;
  }
  return false;
}

template <typename T>
bool NumberList(Pull& pull, std::vector<T>* list) {
  return Children(pull, [&] {
    T value{};
    if (pull.name() != "v") return pull.Fail("a number list may hold <v> elements only");
    if (!NumberText(pull, &value)) return false;
    list->push_back(value);
    return true;
  });
}

bool BuildField(Pull& pull, CNMessageBase* msg, int depth) {
  short i = static_cast<short>(pull.IntAttribute("i", -1)), t = static_cast<short>(pull.IntAttribute("t", -1));
  std::string_view name = pull.name();
  if (name == "int64") {
    long long value = 0;
    if (!NumberText(pull, &value)) return false;
    msg->setint64(i, t, value);
    return true;
  }
  if (name == "string") {
    std::string text;
    if (!pull.ReadText(&text)) return false;
    msg->setstring(i, t, text);
    return true;
  }
  if (name == "intlist") return NumberList(pull, msg->getlistint(i, t, 0, 0, true));
  if (name == "ulonglist") return NumberList(pull, msg->getlistulong(i, t, 0, 0, true));
  if (name == "list") {
    std::vector<CNMessageBase>* list = msg->getlistobject(i, t, 0, 0, true);
    return Children(pull, [&] {
      list->emplace_back(0, 0);
      return BuildMessage(pull, &list->back(), depth + 1);
    });
  }
  if (name != "msg") return pull.Fail("unknown element <" + std::string(name) + ">");
  CNMessageBase embedded(0, 0);
  if (!BuildMessage(pull, &embedded, depth + 1)) return false;
  *msg->getObjectAccessor(true, true, i, t, 0, 0, embedded.module(), embedded.type()) = std::move(embedded);
  return true;
}

// The message of the <msg> element just started, up to its end.
bool BuildMessage(Pull& pull, CNMessageBase* out, int depth) {
  if (pull.name() != "msg") return pull.Fail("<" + std::string(pull.name()) + "> where a <msg> is expected");
  if (depth > hx::kMaxMessageDepth) return pull.Fail("messages nest too deep");
  *out = CNMessageBase(pull.IntAttribute("module", 0), pull.IntAttribute("type", 0));
  return Children(pull, [&] { return BuildField(pull, out, depth); });
}

// Each element of the list `kind.listPath` leads to (the root itself when
// empty) as a message, to kind.extract; elements off that way are passed over.
bool StreamElements(Pull& pull, const MessageRows& kind, EstateSink& sink) {
  const std::vector<int>& way = kind.listPath;
  CNMessageBase item(0, 0);
  if (way.empty()) return BuildMessage(pull, &item, 0) && (kind.extract(item, sink), true);
  std::size_t matched = 0;  // leading fields of `way` open now, below the root
  while (pull.Next()) {
    if (pull.token() == Pull::kEnd && pull.depth() > 1) --matched;  // only elements on the way end here
    if (pull.token() != Pull::kStart) continue;
    if (matched == way.size()) {
      if (!BuildMessage(pull, &item, static_cast<int>(matched) + 1)) return false;
      kind.extract(item, sink);
    } else if (pull.IntAttribute("i", kListElement) == way[matched] &&
               pull.name() == (matched + 1 == way.size() ? "list" : "msg")) {
      ++matched;
    } else if (!pull.Skip()) {
      return false;
    }
  }
  return pull.error().empty();
}

// ---- jobs and media, field by field ----------------------------------------

// The field indexes of the open elements below the root (kListElement for
// an element of a list, which has none).
class FieldWay {
 public:
  void Open(Pull& pull) { m_way.push_back(pull.IntAttribute("i", kListElement)); }
  void Close() {
    if (!m_way.empty()) m_way.pop_back();
  }
  bool Is(std::initializer_list<int> fields) const {
    return m_way.size() == fields.size() && std::equal(fields.begin(), fields.end(), m_way.begin());
  }

 private:
  std::vector<int> m_way;
};

// The text of the leaf just started when it is a field of kind `element`;
// false, leaving `out` alone, for a field of another kind.
bool LeafText(Pull& pull, const char* element, std::string* out) {
  if (pull.name() != element) {
    pull.Skip();
    return false;
  }
  out->clear();
  return pull.ReadText(out);
}

bool LeafNumber(Pull& pull, long long* out) {
  std::string text;
  if (LeafText(pull, "int64", &text)) *out = ToNumber(text);
  return pull.error().empty();
}

// Job list: [jobs field, job (L), ...]; only the subclient and the statistics of a job are entered.
bool StreamJobs(Pull& pull, EstateSink& sink) {
  using namespace jobfields;  // NOLINT: this reader knows job lists only
  FieldWay way;
  JobRow job;
  while (pull.Next()) {
    if (pull.token() == Pull::kEnd) {
      if (way.Is({kListJobs.i, L})) sink.Job(job);
      way.Close();
    }
    if (pull.token() != Pull::kStart) continue;
    way.Open(pull);
    bool leaf = true;
    if (way.Is({kListJobs.i, L})) job = JobRow(), leaf = false;
    else if (way.Is({kListJobs.i}) || way.Is({kListJobs.i, L, kSubclient.i}) || way.Is({kListJobs.i, L, kStatistics.i}) ||
             way.Is({kListJobs.i, L, kStatistics.i, kSummary.i}))
      leaf = false;
    else if (way.Is({kListJobs.i, L, kSubclient.i, kSubclientClient.i})) LeafText(pull, "string", &job.client);
    else if (way.Is({kListJobs.i, L, kStatistics.i, kSummary.i, kSummaryStartTime.i})) LeafNumber(pull, &job.startTime);
    else if (way.Is({kListJobs.i, L, kStatistics.i, kSummary.i, kSummaryBytes.i})) LeafNumber(pull, &job.bytes);
    else pull.Skip();
    if (leaf) way.Close();
  }
  return pull.error().empty();
}

// Media list: [media list, items, medium (L), ...]; a medium's info items
// [info list, items, item (L), ...] say which jobs it holds and its
// retention (the first retention item).
bool StreamMedia(Pull& pull, EstateSink& sink) {
  using namespace mediafields;  // NOLINT: this reader knows media lists only
  constexpr int kList = kMediaList.i, kAll = kItems.i, kInfo = kMediumInfo.i;
  FieldWay way;
  MediumRow medium;
  long long id = 0;
  std::string value;
  while (pull.Next()) {
    if (pull.token() == Pull::kEnd) {
      if (way.Is({kList, kAll, L})) sink.Medium(medium);
      if (way.Is({kList, kAll, L, kInfo, kAll, L})) {
        medium.jobs += id == kInfoJob;
        if (id == kInfoRetention && !medium.hasRetention) medium.hasRetention = true, medium.retention = ToNumber(value);
      }
      way.Close();
    }
    if (pull.token() != Pull::kStart) continue;
    way.Open(pull);
    bool leaf = true;
    if (way.Is({kList, kAll, L})) medium = MediumRow(), leaf = false;
    else if (way.Is({kList, kAll, L, kInfo, kAll, L})) id = 0, value.clear(), leaf = false;
    else if (way.Is({kList}) || way.Is({kList, kAll}) || way.Is({kList, kAll, L, kInfo}) || way.Is({kList, kAll, L, kInfo, kAll}))
      leaf = false;
    else if (way.Is({kList, kAll, L, kMediumName.i})) LeafText(pull, "string", &medium.volume);
    else if (way.Is({kList, kAll, L, kMediumLibrary.i})) LeafText(pull, "string", &medium.library);
    else if (way.Is({kList, kAll, L, kInfo, kAll, L, kInfoId.i})) LeafNumber(pull, &id);
    else if (way.Is({kList, kAll, L, kInfo, kAll, L, kInfoValue.i})) LeafText(pull, "string", &value);
    else pull.Skip();
    if (leaf) way.Close();
  }
  return pull.error().empty();
}

bool Stream(Pull& pull, const MessageRows& kind, EstateSink& sink, std::string* error) {
  if (pull.Next()) {
    if (pull.name() != "msg") pull.Fail("the root element is <" + std::string(pull.name()) + ">, not <msg>");
    else if (std::strcmp(kind.className, "FDC::JobList") == 0) StreamJobs(pull, sink);
    else if (std::strcmp(kind.className, "FDC::ForeignMedias") == 0) StreamMedia(pull, sink);
    else if (StreamElements(pull, kind, sink))
      while (pull.Next()) {}  // past the root: a second element or text is a fault
  }
  *error = pull.error();
  return error->empty();
}

}  // namespace

bool StreamMessageFile(const std::string& path, const MessageRows& kind, EstateSink& sink, std::string* error) {
  Pull pull;
  if (pull.Open(path)) return Stream(pull, kind, sink, error);
  *error = pull.error();
  return false;
}

bool StreamMessageText(std::string xml, const std::string& name, const MessageRows& kind, EstateSink& sink,
                       std::string* error) {
  Pull pull;
  pull.OpenText(std::move(xml), name);
  return Stream(pull, kind, sink, error);
}

}  // namespace nwk
