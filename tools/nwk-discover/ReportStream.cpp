// A libxml2 text reader walks the file. For jobs, the stack of field indexes on
// the way down tells which field of the job a text belongs to; other lists are
// cut into one small document per element, read back as a message.
#include "ReportStream.h"

#include <libxml/xmlreader.h>

#include "fields/JobFields.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace nwk {
namespace {

// Field index of an element ("i" attribute), -1 for list elements and the root.
int FieldIndex(xmlTextReaderPtr reader) {
  xmlChar* value = xmlTextReaderGetAttribute(reader, BAD_CAST "i");
  int index = -1;
  if (value) {
    const char* text = reinterpret_cast<const char*>(value);
    std::from_chars(text, text + xmlStrlen(value), index);
    xmlFree(value);
  }
  return index;
}

long long Number(const char* text) {
  long long value = 0;
  std::from_chars(text, text + std::char_traits<char>::length(text), value);
  return value;
}

using namespace jobfields;  // NOLINT: this reader knows job lists only

// The path below one job: [root, the job list, job, ...]; true when it is `fields`.
bool At(const std::vector<int>& path, std::initializer_list<int> fields) {
  if (path.size() != 3 + fields.size() || path[1] != kListJobs.i) return false;
  std::size_t n = 3;
  for (int f : fields)
    if (path[n++] != f) return false;
  return true;
}

void TakeText(const std::vector<int>& path, const char* text, JobRow* job) {
  if (At(path, {kSubclient.i, kSubclientClient.i})) job->client = text;
  else if (At(path, {kStatistics.i, kSummary.i, kSummaryStartTime.i})) job->startTime = Number(text);
  else if (At(path, {kStatistics.i, kSummary.i, kSummaryBytes.i})) job->bytes = Number(text);
}

xmlTextReaderPtr OpenReader(const std::string& path, std::string* error) {
  xmlTextReaderPtr reader = xmlReaderForFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!reader) *error = path + ": cannot be read";
  return reader;
}

// Closes the reader; true when it reached the end of a well-formed document.
bool CloseReader(xmlTextReaderPtr reader, int status, const std::string& path, std::string* error) {
  if (status != 0 && error->empty())
    *error = path + ": line " + std::to_string(xmlTextReaderGetParserLineNumber(reader)) + ": not well formed";
  xmlFreeTextReader(reader);
  return status == 0 && error->empty();
}

}  // namespace

bool StreamJobList(const std::string& path, const std::function<void(const JobRow&)>& onJob, std::string* error) {
  xmlTextReaderPtr reader = OpenReader(path, error);
  if (!reader) return false;
  std::vector<int> fields;
  JobRow job;
  int status;
  while ((status = xmlTextReaderRead(reader)) == 1) {
    int type = xmlTextReaderNodeType(reader);
    if (type == XML_READER_TYPE_ELEMENT) {
      fields.push_back(FieldIndex(reader));
      if (fields.size() == 3) job = JobRow();
      if (xmlTextReaderIsEmptyElement(reader)) type = XML_READER_TYPE_END_ELEMENT;
    } else if (type == XML_READER_TYPE_TEXT) {
      const xmlChar* text = xmlTextReaderConstValue(reader);
      if (text) TakeText(fields, reinterpret_cast<const char*>(text), &job);
    }
    if (type == XML_READER_TYPE_END_ELEMENT && !fields.empty()) {
      if (fields.size() == 3 && fields[1] == kListJobs.i) onJob(job);
      fields.pop_back();
    }
  }
  return CloseReader(reader, status, path, error);
}

bool StreamListItems(const std::string& path, const std::vector<int>& fields,
                     const std::function<void(const CNMessageBase&)>& onItem, std::string* error) {
  xmlTextReaderPtr reader = OpenReader(path, error);
  if (!reader) return false;
  const int items = static_cast<int>(fields.size()) + 1;  // depth of the list's elements
  int matched = 0;  // leading `fields` matched by the ancestors of where the reader is
  int status = xmlTextReaderRead(reader);
  while (status == 1 && error->empty()) {
    int depth = xmlTextReaderDepth(reader);
    bool element = xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT;
    if (element && depth >= 1 && depth < items)
      matched = matched >= depth - 1 && FieldIndex(reader) == fields[depth - 1] ? depth : std::min(matched, depth - 1);
    if (!element || depth != items || matched != items - 1) {
      status = xmlTextReaderRead(reader);
      continue;
    }
    xmlChar* xml = xmlTextReaderReadOuterXml(reader);
    CNMessageBase item(0, 0);
    if (xml && hx::ReadMessageXml(reinterpret_cast<const char*>(xml), &item, error)) onItem(item);
    else if (error->empty()) *error = "cannot read an element";
    if (!error->empty()) *error = path + ": " + *error;
    xmlFree(xml);
    status = xmlTextReaderNext(reader);
  }
  return CloseReader(reader, status, path, error);
}

}  // namespace nwk
